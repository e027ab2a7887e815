# Fails when FILE is LIMIT bytes or larger: cmake -DFILE=... -DLIMIT=... -P CheckFileSize.cmake
file(SIZE "${FILE}" _size)
message(STATUS "${FILE}: ${_size} bytes")
if(NOT _size LESS LIMIT)
    message(FATAL_ERROR "${FILE} has ${_size} bytes, the limit is ${LIMIT}")
endif()
