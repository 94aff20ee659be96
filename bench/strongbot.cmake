# Strong bot decision time on random turns: median, 99th percentile and worst.
add_executable(scrivo-bench-strongbot ${CMAKE_CURRENT_LIST_DIR}/StrongBotBench.cpp
                                      ${CMAKE_SOURCE_DIR}/testsupport/BotSituations.cpp)
target_link_libraries(scrivo-bench-strongbot PRIVATE scrivo_engine benchmark::benchmark scrivo_flags)
