# The end-members are those of the example dataset, read by the dataset reader.
target_compile_definitions(gibbs_bench PRIVATE PM_EXAMPLES="${CMAKE_SOURCE_DIR}/examples")
