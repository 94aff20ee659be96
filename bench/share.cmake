# A host and eight bots on a game folder behind a delay per file call.
if(TARGET scrivo_testsupport)
  add_executable(scrivo-bench-share ${CMAKE_CURRENT_LIST_DIR}/ShareBench.cpp)
  target_link_libraries(scrivo-bench-share PRIVATE scrivo_engine scrivo_testsupport benchmark::benchmark scrivo_flags)
endif()
