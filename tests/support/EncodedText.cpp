// Conversion with iconv, checked as a test's expectations.
#include "tests/support/EncodedText.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>

std::string encoded(const std::string& utf8, const char* encoding)
{
    iconv_t converter = iconv_open(encoding, "UTF-8");
    EXPECT_NE(converter, iconv_t(-1)) << encoding;
    if (converter == iconv_t(-1))
        return {};
    std::string out(utf8.size() * 4 + 8, '\0');
    auto* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    EXPECT_NE(iconv(converter, &in, &inLeft, &next, &outLeft), std::size_t(-1)) << encoding << ": " << errno;
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}
