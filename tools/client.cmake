# scrivo-client: joins a waiting game and plays one seat through command entry.
if(TARGET scrivo_engine)
  add_executable(scrivo-client ${CMAKE_CURRENT_LIST_DIR}/table/ClientMain.cpp ${CMAKE_CURRENT_LIST_DIR}/table/TableTool.cpp)
  target_link_libraries(scrivo-client PRIVATE scrivo_engine scrivo_flags)
  add_dependencies(scrivo-client scrivo_lang)
endif()
