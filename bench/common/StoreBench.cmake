# add_store_bench(name sources...): a benchmark that runs the DICOM service on a store of its own,
# linked to the store and DCMTK, with the network test helpers; nothing when there is no store.
function(add_store_bench name)
  if(NOT TARGET store)
    return()
  endif()
  find_package(DCMTK CONFIG REQUIRED)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/dicom)
  target_link_libraries(${name} PRIVATE store DCMTK::DCMTK)
endfunction()
