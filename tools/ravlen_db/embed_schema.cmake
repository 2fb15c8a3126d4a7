# Turns the table definitions schema/*.sql into a C++ header, so that the
# ravlen-db tool carries exactly the repository's schema files.
#
#   cmake -DSCHEMA_DIR=<dir with *.sql> -DOUTPUT=<header> -P embed_schema.cmake
#
# The header defines ravlen::kSchemaFiles, one {file name, text} entry per
# file in name order. The output is rewritten only when its text changes.
foreach(required SCHEMA_DIR OUTPUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "embed_schema.cmake: ${required} is not set")
  endif()
endforeach()

file(GLOB sql_files "${SCHEMA_DIR}/*.sql")
list(SORT sql_files)
if(NOT sql_files)
  message(FATAL_ERROR "embed_schema.cmake: no *.sql files in ${SCHEMA_DIR}")
endif()

set(delimiter "ravlen_sql")
set(header "// Generated from schema/*.sql by tools/ravlen_db/embed_schema.cmake.\n")
string(APPEND header "// Do not edit: change the schema files instead.\n")
string(APPEND header "#ifndef RAVLEN_GENERATED_SCHEMA_FILES_H_\n")
string(APPEND header "#define RAVLEN_GENERATED_SCHEMA_FILES_H_\n\n")
string(APPEND header "#include <string_view>\n\nnamespace ravlen {\n\n")
string(APPEND header "struct SchemaFile {\n  std::string_view name;\n")
string(APPEND header "  std::string_view text;\n};\n\n")
string(APPEND header "inline constexpr SchemaFile kSchemaFiles[] = {\n")
foreach(sql_file IN LISTS sql_files)
  get_filename_component(name "${sql_file}" NAME)
  file(READ "${sql_file}" text)
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "embed_schema.cmake: ${name} contains )${delimiter}\"")
  endif()
  string(APPEND header "    {\"${name}\",\n     R\"${delimiter}(${text})${delimiter}\"},\n")
endforeach()
string(APPEND header "};\n\n}  // namespace ravlen\n\n")
string(APPEND header "#endif  // RAVLEN_GENERATED_SCHEMA_FILES_H_\n")

file(WRITE "${OUTPUT}.tmp" "${header}")
configure_file("${OUTPUT}.tmp" "${OUTPUT}" COPYONLY)
file(REMOVE "${OUTPUT}.tmp")
