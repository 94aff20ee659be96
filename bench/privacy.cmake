# The cryptography of one protected hand for all its participants.
add_executable(scrivo-bench-privacy ${CMAKE_CURRENT_LIST_DIR}/PrivacyBench.cpp)
target_link_libraries(scrivo-bench-privacy PRIVATE scrivo_privacy benchmark::benchmark scrivo_flags)
