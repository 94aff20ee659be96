# The table window's log: rebuilding a long game's log. Needs the windows.
if(TARGET scrivo_console)
  add_executable(console_bench ${CMAKE_CURRENT_LIST_DIR}/ConsoleBench.cpp)
  target_link_libraries(console_bench PRIVATE scrivo_console scrivo_flags benchmark::benchmark)
  add_dependencies(console_bench scrivo_lang)
endif()
