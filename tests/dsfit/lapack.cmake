# The fit's solutions are checked against LAPACK's least-squares solver,
# linked into this test program only.
target_link_libraries(test_dsfit PRIVATE ${LAPACK_LIBRARIES})
