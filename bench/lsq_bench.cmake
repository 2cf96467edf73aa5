# The fit's storage is set up with the example's settings file.
target_compile_definitions(lsq_bench PRIVATE PM_EXAMPLES="${CMAKE_SOURCE_DIR}/examples")
