# scrivo-arena: bots of chosen levels play each other at one headless table.
if(TARGET scrivo_engine)
  add_executable(scrivo-arena ${CMAKE_CURRENT_LIST_DIR}/arena/ArenaMain.cpp ${CMAKE_CURRENT_LIST_DIR}/arena/ReferenceStyles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/table/TableTool.cpp)
  target_link_libraries(scrivo-arena PRIVATE scrivo_engine scrivo_flags)
  add_dependencies(scrivo-arena scrivo_lang)
endif()
