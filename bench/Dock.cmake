add_executable(bench_dock ${CMAKE_CURRENT_LIST_DIR}/DockIconBench.cpp)
target_link_libraries(bench_dock PRIVATE kelvara_display kelvara_test_support benchmark::benchmark)
