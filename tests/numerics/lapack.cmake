# The singular value decomposition is checked against LAPACK's dgesvd. LAPACK
# is linked into this test program only; the program itself links nothing.
find_package(LAPACK REQUIRED)
target_link_libraries(test_numerics PRIVATE ${LAPACK_LIBRARIES})
