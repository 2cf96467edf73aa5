# The dataset is the example one, copied into a scratch directory by the bench.
target_compile_definitions(nle_bench PRIVATE PM_EXAMPLES="${CMAKE_SOURCE_DIR}/examples")
