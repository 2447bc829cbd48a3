// Text in another encoding, as a file saved in it would hold it, for the tests of the readers
// that take files in any encoding.
#pragma once

#include <string>

// `utf8` converted by iconv to `encoding`; a failed conversion fails the test that asked.
std::string encoded(const std::string& utf8, const char* encoding);
