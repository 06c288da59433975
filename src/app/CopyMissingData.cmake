# Copies each of FILES from SOURCE_DIR to TARGET_DIR unless it is already
# there, so files the program rewrote are kept across rebuilds.
foreach(f IN LISTS FILES)
  if(EXISTS "${SOURCE_DIR}/${f}" AND NOT EXISTS "${TARGET_DIR}/${f}")
    file(COPY "${SOURCE_DIR}/${f}" DESTINATION "${TARGET_DIR}")
  endif()
endforeach()
