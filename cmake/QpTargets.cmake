# Helpers shared by every folder's CMakeLists.

include(GoogleTest)

# Where the real DICOM files of Debian's pydicom package live; tests read them in place.
set(QP_PYDICOM_DIR /usr/lib/python3/dist-packages/pydicom/data/test_files)

# qp_library(<target> <folder> [DEPS targets...] [PRIVATE_DEPS targets...])
# A static library from every source file below <folder>, with <folder> and its
# parent on the include path of the library and of everything that links it.
function(qp_library target folder)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${folder}/*.cpp ${folder}/*.cc ${folder}/*.c)
  file(GLOB_RECURSE hdrs CONFIGURE_DEPENDS ${folder}/*.h ${folder}/*.hpp)
  if(NOT srcs)
    # A folder whose code has not been written yet still gives a target to link.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${folder} ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${srcs} ${hdrs})
  target_include_directories(${target} PUBLIC ${folder} ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# qp_gtest(<area> <source> [LIBS targets...] [LABELS labels...])
# One test program per source file; its tests are registered as "<area>.<Suite>.<Case>"
# and listed when CTest runs (so listing happens inside the test namespace).
function(qp_gtest area source)
  cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  string(REPLACE "/" "_" area_id ${area})
  set(target test_${area_id}_${name})
  add_executable(${target} ${source})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} qp_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    QP_PYDICOM_DIR="${QP_PYDICOM_DIR}"
    QP_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    QP_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${target}
    TEST_PREFIX "${area}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${area};${ARG_LABELS}" TIMEOUT 300)
endfunction()
