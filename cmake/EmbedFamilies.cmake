# Writes OUTPUT, a C++ source that holds the built-in family files (FILES, in
# the order given) as byte arrays, so that the program runs from one
# executable. Run at build time: cmake -DFILES=a;b -DOUTPUT=x.cpp -P EmbedFamilies.cmake
set(body "")
set(entries "")
set(index 0)
foreach(file IN LISTS FILES)
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    get_filename_component(name "${file}" NAME)
    string(APPEND body "constexpr char kFile${index}[] = {${bytes}0};\n")
    string(APPEND entries "        {L\"${name}\", std::string_view(kFile${index}, sizeof kFile${index} - 1)},\n")
    math(EXPR index "${index} + 1")
endforeach()
set(text "// Made at build time from targets/families/*.toml; do not edit.
#include \"targets/FamilyTable.h\"

namespace tw {
namespace {
${body}}  // namespace

const std::vector<BuiltInFamilyFile>& BuiltInFamilyFiles() {
    static const std::vector<BuiltInFamilyFile> files = {
${entries}    };
    return files;
}

}  // namespace tw
")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
    file(WRITE "${OUTPUT}" "${text}")
endif()
