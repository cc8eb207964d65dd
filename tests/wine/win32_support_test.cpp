// The handle owner of the Windows support header: who holds which handle after
// each operation, and which handles are still open.
#include <ravelin/win32.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using ravelin::win32::UniqueHandle;

// Each case starts with `owner` holding event a and `other` holding event b.
struct OwnerCase {
    const char* name;
    UniqueHandle (*act)(UniqueHandle& owner, UniqueHandle& other);
    const char* expected;  // who holds a and b afterwards, and which of them are open
};

std::string Holder(const UniqueHandle& owner, HANDLE a, HANDLE b) {
    if (!owner) return "-";
    if (owner.get() == a) return "a";
    return owner.get() == b ? "b" : "?";
}

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

std::string Describe(const UniqueHandle& owner, const UniqueHandle& other, const UniqueHandle& result, HANDLE a,
                     HANDLE b) {
    std::string open = std::string(IsOpen(a) ? "a" : "") + (IsOpen(b) ? "b" : "");
    return "owner=" + Holder(owner, a, b) + " other=" + Holder(other, a, b) + " result=" + Holder(result, a, b) +
           " open=" + open;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(Win32Support, UniqueHandleClosesWhatItOwnsExactlyOnce) {
    const OwnerCase cases[] = {
        {"reset closes and empties",
         [](UniqueHandle& owner, UniqueHandle&) {
             owner.reset();
             return UniqueHandle();
         },
         "owner=- other=b result=- open=b"},
        {"reset to another handle closes the old one",
         [](UniqueHandle& owner, UniqueHandle& other) {
             owner.reset(other.release());
             return UniqueHandle();
         },
         "owner=b other=- result=- open=b"},
        {"release gives the handle up without closing it",
         [](UniqueHandle& owner, UniqueHandle&) { return UniqueHandle(owner.release()); },
         "owner=- other=b result=a open=ab"},
        {"move construction takes the handle over",
         [](UniqueHandle& owner, UniqueHandle&) {
             UniqueHandle taken(std::move(owner));
             return taken;
         },
         "owner=- other=b result=a open=ab"},
        {"move assignment closes the target's handle first",
         [](UniqueHandle& owner, UniqueHandle& other) {
             owner = std::move(other);
             return UniqueHandle();
         },
         "owner=b other=- result=- open=b"},
        {"move assignment to itself keeps the handle",
         [](UniqueHandle& owner, UniqueHandle&) {
             UniqueHandle& same = owner;
             owner = std::move(same);
             return UniqueHandle();
         },
         "owner=a other=b result=- open=ab"},
        {"destruction closes",
         [](UniqueHandle& owner, UniqueHandle&) {
             { UniqueHandle gone(owner.release()); }
             return UniqueHandle();
         },
         "owner=- other=b result=- open=b"},
        {"INVALID_HANDLE_VALUE counts as empty",
         [](UniqueHandle&, UniqueHandle&) { return UniqueHandle(INVALID_HANDLE_VALUE); },
         "owner=a other=b result=- open=ab"},
    };
    for (const OwnerCase& c : cases) {
        UniqueHandle owner(NewEvent());
        UniqueHandle other(NewEvent());
        const HANDLE a = owner.get();
        const HANDLE b = other.get();
        ASSERT_TRUE(owner && other) << "CreateEvent error " << GetLastError();
        const UniqueHandle result = c.act(owner, other);
        EXPECT_EQ(Describe(owner, other, result, a, b), c.expected) << c.name;
    }
}

TEST(Win32Support, SystemErrorTextIsTheSystemsWordingOrEmpty) {
    const std::wstring known = ravelin::win32::SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(known.empty());
    EXPECT_EQ(known.back(), L'\n') << "the line break stays";
    constexpr DWORD kNoSuchError = 0x2000FFFF;  // customer bit set: the system has no text for it
    EXPECT_EQ(ravelin::win32::SystemErrorText(kNoSuchError), L"");
}

}  // namespace
