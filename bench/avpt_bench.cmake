# The rock is the example dataset with the example garnet model, copied into a
# scratch directory by the bench.
target_compile_definitions(avpt_bench PRIVATE PM_EXAMPLES="${CMAKE_SOURCE_DIR}/examples")
