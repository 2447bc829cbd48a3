# Writes OUTPUT, a C++ file holding the bytes of the hand-written files of the stock show's
# data folder (SOURCE) named in FILES, so sovane05-make carries them wherever it is installed.
set(body "")
set(table "")
set(index 0)
foreach(name IN LISTS FILES)
  file(READ "${SOURCE}/${name}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR bytes "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n    " hex "${hex}")
  string(APPEND body "const unsigned char kFile${index}[${bytes}] = {\n    ${hex}\n};\n")
  string(APPEND table "        {\"${name}\", {reinterpret_cast<const char*>(kFile${index}), sizeof kFile${index}}},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.new" "// Made by tools/make/EmbedStockFiles.cmake from the stock show's data folder; not edited by hand.
#include \"tools/make/StockFiles.h\"

namespace {

${body}
}  // namespace

const std::vector<StockFile>& stockFiles()
{
    static const std::vector<StockFile> files = {
${table}    };
    return files;
}
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
