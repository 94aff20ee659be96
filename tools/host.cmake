# scrivo-host: creates a game, seats bots and runs the host's table headless.
if(TARGET scrivo_engine)
  add_executable(scrivo-host ${CMAKE_CURRENT_LIST_DIR}/table/HostMain.cpp ${CMAKE_CURRENT_LIST_DIR}/table/TableTool.cpp)
  target_link_libraries(scrivo-host PRIVATE scrivo_engine scrivo_flags)
  add_dependencies(scrivo-host scrivo_lang)
endif()
