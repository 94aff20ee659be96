# The rules machine alone: whole hands of random legal play, no folder.
add_executable(scrivo-bench-hand ${CMAKE_CURRENT_LIST_DIR}/HandBench.cpp)
target_link_libraries(scrivo-bench-hand PRIVATE scrivo_engine benchmark::benchmark scrivo_flags)
