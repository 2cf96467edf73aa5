# Eigen (header-only) is the independent linear algebra of the average P-T
# tests' own least squares; the program itself links nothing.
target_link_libraries(test_emcalcs PRIVATE Eigen3::Eigen)
