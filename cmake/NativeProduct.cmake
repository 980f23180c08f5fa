# The product compiled for Linux against the simulated Windows: a library
# shared by setup-sim and the tests.
find_package(ZLIB REQUIRED)

add_library(setup_core OBJECT ${VOZ_PRODUCT_SOURCES})
target_include_directories(setup_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(setup_core PRIVATE ${VOZ_WARNINGS} ${VOZ_PRODUCT_CHARSET})
target_link_libraries(setup_core PUBLIC simwin ZLIB::ZLIB)
