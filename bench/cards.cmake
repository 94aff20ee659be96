# Hand evaluator speed: the fast BestScore, the plain 21-combination loop and
# the whole showdown evaluation.
add_executable(scrivo-bench-cards ${CMAKE_CURRENT_LIST_DIR}/cards_bench.cpp)
target_link_libraries(scrivo-bench-cards PRIVATE scrivo_cards benchmark::benchmark scrivo_flags)
