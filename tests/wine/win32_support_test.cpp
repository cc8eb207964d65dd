// The handle owner of the Windows support header: who holds which handle after
// each operation, and which handles are still open.
#include <ravelin/win32.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using Owner = ravelin::win32::UniqueHandle;

// Each case starts with `owner` holding event a, `other` holding event b and
// `result` empty.
struct OwnerCase {
    const char* name;
    void (*act)(Owner& owner, Owner& other, Owner& result);
    const char* expected;  // who holds a and b afterwards, and which of them are open
};

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

std::string Describe(const Owner& owner, const Owner& other, const Owner& result, HANDLE a, HANDLE b) {
    const auto holder = [&](const Owner& o) { return !o ? "-" : o.get() == a ? "a" : o.get() == b ? "b" : "?"; };
    return std::string("owner=") + holder(owner) + " other=" + holder(other) + " result=" + holder(result) +
           " open=" + (IsOpen(a) ? "a" : "") + (IsOpen(b) ? "b" : "");
}

TEST(Win32Support, UniqueHandleClosesWhatItOwnsExactlyOnce) {
    const OwnerCase cases[] = {
        {"reset closes and empties", [](Owner& owner, Owner&, Owner&) { owner.reset(); },
         "owner=- other=b result=- open=b"},
        {"reset to another handle closes the old one",
         [](Owner& owner, Owner& other, Owner&) { owner.reset(other.release()); }, "owner=b other=- result=- open=b"},
        {"release gives the handle up without closing it",
         [](Owner& owner, Owner&, Owner& result) { result = Owner(owner.release()); },
         "owner=- other=b result=a open=ab"},
        {"move construction takes the handle over",
         [](Owner& owner, Owner&, Owner& result) { result = Owner(std::move(owner)); },
         "owner=- other=b result=a open=ab"},
        {"move assignment closes the target's handle first",
         [](Owner& owner, Owner& other, Owner&) { owner = std::move(other); }, "owner=b other=- result=- open=b"},
        {"move assignment to itself keeps the handle",
         [](Owner& owner, Owner&, Owner&) {
             Owner& same = owner;
             owner = std::move(same);
         },
         "owner=a other=b result=- open=ab"},
        {"destruction closes", [](Owner& owner, Owner&, Owner&) { Owner gone(owner.release()); },
         "owner=- other=b result=- open=b"},
        {"INVALID_HANDLE_VALUE counts as empty",
         [](Owner&, Owner&, Owner& result) { result = Owner(INVALID_HANDLE_VALUE); },
         "owner=a other=b result=- open=ab"},
    };
    for (const OwnerCase& c : cases) {
        Owner owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        Owner other(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        Owner result;
        ASSERT_TRUE(owner && other) << "CreateEvent error " << GetLastError();
        const HANDLE a = owner.get();
        const HANDLE b = other.get();
        c.act(owner, other, result);
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
