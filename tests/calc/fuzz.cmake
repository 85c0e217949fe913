# Fuzz target of the project file reader, built with -DBQ4_FUZZ=ON.
# With clang it is a libFuzzer target:
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DBQ4_TESTS=OFF -DBQ4_FUZZ=ON
#   build-fuzz/project_file_fuzz -max_total_time=60 corpus/ data/samples/
# With another compiler the same entry runs over the files and folders named
# on its command line (seed files, or an input a fuzzer found).
add_executable(project_file_fuzz ${CMAKE_SOURCE_DIR}/tests/calc/project_file_fuzz.cpp)
set_target_properties(project_file_fuzz PROPERTIES AUTOMOC OFF)
target_link_libraries(project_file_fuzz PRIVATE bq4_calc bq4_batch_ui)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(bq4_calc PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(project_file_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(project_file_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
else()
  target_sources(project_file_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/tests/calc/fuzz_driver.cpp)
endif()
