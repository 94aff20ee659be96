# scrivo-folder: prints a game folder's records as plain text, or checks that
# a folder's locks keep two processes apart.
if(TARGET scrivo_engine)
  add_executable(scrivo-folder ${CMAKE_CURRENT_LIST_DIR}/FolderTool.cpp ${CMAKE_CURRENT_LIST_DIR}/CheckLocks.cpp)
  target_link_libraries(scrivo-folder PRIVATE scrivo_engine scrivo_gamefolder scrivo_flags)
endif()
