# Compares the fast evaluator with the plain 21-combination loop on every
# seven-card hand.
add_executable(scrivo-check-evaluator ${CMAKE_CURRENT_LIST_DIR}/CheckEvaluator.cpp)
target_link_libraries(scrivo-check-evaluator PRIVATE scrivo_cards scrivo_flags)
