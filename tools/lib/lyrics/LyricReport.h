// How a lyric build's messages reach the user: at most a screenful of each kind, then one line
// counting the rest, so a file with a fault on every one of its 100,000 lines still reads as a
// few lines that say what is wrong. No GL, no fonts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Messages of one kind shown before the rest of that kind are counted.
inline constexpr std::size_t kMostOfOneKind = 20;

// The line a message "<path>:<line>: …" is about, or 0 when it names none.
int messageLine(std::string_view message, std::string_view path);

// What a message says with its place and the user's text taken out: the location, every quoted
// stretch ('…') and every word holding a digit (times, counts, lines, U+ codes, tags), a list
// of them counting as one and the plural before them as the singular. Two messages of one kind
// differ in nothing else.
std::string messageKind(std::string_view message, std::string_view path);

// The messages in their order, each kind's after its first `most` left out and counted in one
// line that follows its last one shown: "song.lrc: 99983 more errors like line 20's, up to line
// 100003". `noun` names them ("errors", "warnings").
std::vector<std::string> limitMessages(const std::vector<std::string>& messages, std::string_view path,
                                       std::string_view noun, std::size_t most = kMostOfOneKind);

// "3 errors, 1 warning"; "no problem" when there are none.
std::string countedProblems(std::size_t errors, std::size_t warnings);
