# The example files are copied into a scratch directory by the bench; every
# call of the solver numerics::nle(int&) goes through the bench's timer.
target_compile_definitions(mc_bench PRIVATE PM_EXAMPLES="${CMAKE_SOURCE_DIR}/examples")
target_link_options(mc_bench PRIVATE -Wl,--wrap=_ZN8numerics3nleERi)
