# The dataset and a-x file are the example ones, copied into a scratch directory by the bench.
target_compile_definitions(dogmin_bench PRIVATE PM_EXAMPLES="${CMAKE_SOURCE_DIR}/examples")
