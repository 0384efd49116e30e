# Run by CPack in its staging folder before it packs: gzip -9n the files
# CPACK_STOCKPICKER_GZIP_FILES names (relative to the install prefix), as
# Debian's policy asks. -n leaves out the name and time, so the package is
# the same from one build to the next.
foreach(file IN LISTS CPACK_STOCKPICKER_GZIP_FILES)
  set(path "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${file}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "cannot compress \"${path}\": no such file in the staging folder")
  endif()
  execute_process(COMMAND gzip -9nf "${path}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress \"${path}\": gzip ended with ${status}")
  endif()
endforeach()
