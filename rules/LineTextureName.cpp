// The lyric images' names.
#include "rules/LineTextureName.h"

std::array<char, 4> lineTextureName(int line, int count)
{
    int number = count - 1 - line;
    return {char('0' + number / 100), char('0' + number / 10 % 10), char('0' + number % 10), '\0'};
}
