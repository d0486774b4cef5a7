# Copies the shipped knowledge (opening book, trained network) from the
# folder FROM into each folder of TO (separated by "|"), where a program
# looks for its data files. A file already there is left alone: it may be a
# book or network of the user's own making.
# Usage: cmake -DFROM=<dir> -DTO=<dir>[|<dir>...] -P copy_shipped_data.cmake
set(shipped_files book/book.tab ann/eval000.ann)
string(REPLACE "|" ";" destinations "${TO}")
foreach(destination IN LISTS destinations)
  foreach(name IN LISTS shipped_files)
    if(EXISTS "${FROM}/${name}" AND NOT EXISTS "${destination}/${name}")
      get_filename_component(folder "${destination}/${name}" DIRECTORY)
      file(MAKE_DIRECTORY "${folder}")
      file(COPY_FILE "${FROM}/${name}" "${destination}/${name}")
      message(STATUS "Shipped ${name} to ${destination}")
    endif()
  endforeach()
endforeach()
