# Writes OUTPUT, a C++ source holding the bytes of every profile and registry
# file in FOLDER, so that the simulator carries the shipped machines with it.
# Run as: cmake -DFOLDER=... -DOUTPUT=... -P embed_profiles.cmake
file(GLOB files RELATIVE ${FOLDER} ${FOLDER}/*.toml ${FOLDER}/*.reg)
list(SORT files)
set(arrays "")
set(entries "")
set(index 0)
foreach(name ${files})
  file(READ ${FOLDER}/${name} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kFile${index}[] = {${bytes}};\n")
  string(APPEND entries "    {\"${name}\", kFile${index}, sizeof(kFile${index})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp
     "// Generated from profiles/ by cmake/embed_profiles.cmake; do not edit.\n"
     "#include \"sim/profile/shipped_profiles.h\"\n\n"
     "namespace sim {\nnamespace {\n\n${arrays}\n}  // namespace\n\n"
     "const ShippedFile kShippedFiles[] = {\n${entries}};\n"
     "const std::size_t kShippedFileCount = sizeof(kShippedFiles) / sizeof(kShippedFiles[0]);\n\n"
     "}  // namespace sim\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
