# The decomposition is timed beside LAPACK's dgesvd; LAPACK is linked into
# this benchmark only.
target_link_libraries(svd_bench PRIVATE ${LAPACK_LIBRARIES})
