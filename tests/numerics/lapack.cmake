# The singular value decomposition is checked against LAPACK's dgesvd. LAPACK
# is linked into this test program only; the program itself links nothing.
target_link_libraries(test_numerics PRIVATE ${LAPACK_LIBRARIES})
# Eigen (header-only) checks the LU decomposition of the uncertainties; it
# too is used by this test program only.
target_link_libraries(test_numerics PRIVATE Eigen3::Eigen)
