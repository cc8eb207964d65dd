// The local code page is the character set of the current LC_CTYPE locale;
// setting the locale (setlocale(LC_CTYPE, "")) is the calling program's business.
// Text goes through UTF-16, as on Windows: the direct UTF-8 conversions of the C
// library let code points above U+10FFFF through, UTF-16 cannot hold them.
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>

#include "text_convert.h"

namespace mextal {
namespace {

constexpr size_t kBytesPerInputByte = 4;
// Room for the shift sequence that a stateful character set may end with.
constexpr size_t kFlushReserve = 16;
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
const size_t kIconvFailed = static_cast<size_t>(-1);

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (handle_ != kNoConverter) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Run(std::string_view input, std::string& output) {
        if (handle_ == kNoConverter) return false;
        output.assign(input.size() * kBytesPerInputByte + kFlushReserve, '\0');
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        size_t used = 0;
        for (;;) {
            char* out = &output[used];
            size_t outLeft = output.size() - used;
            size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            used = output.size() - outLeft;
            // A positive count means characters were replaced by approximations.
            if (result != kIconvFailed) return result == 0 && Flush(output, used);
            if (errno != E2BIG) return false;
            output.resize(output.size() * 2);
        }
    }

private:
    bool Flush(std::string& output, size_t used) {
        output.resize(used + kFlushReserve);
        char* out = &output[used];
        size_t outLeft = kFlushReserve;
        if (iconv(handle_, nullptr, nullptr, &out, &outLeft) == kIconvFailed) return false;
        output.resize(used + kFlushReserve - outLeft);
        return true;
    }

    iconv_t handle_;
};

constexpr char kWide[] = "UTF-16LE";

bool ConvertThroughWide(const char* to, const char* from, std::string_view input, std::string& output) {
    std::string wide;
    return Converter(kWide, from).Run(input, wide) && Converter(to, kWide).Run(wide, output);
}

}  // namespace

bool LocalToUtf8(std::string_view local, std::string& utf8) {
    return ConvertThroughWide("UTF-8", nl_langinfo(CODESET), local, utf8);
}

bool Utf8ToLocal(std::string_view utf8, std::string& local) {
    return ConvertThroughWide(nl_langinfo(CODESET), "UTF-8", utf8, local);
}

}  // namespace mextal
