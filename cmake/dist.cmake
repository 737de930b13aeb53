# Makes the archive a user downloads (the `dist` target): OUT/NAME.zip with
# velmora.exe, README.md, LICENSE and SHA256SUMS, the three files' sums in
# the form `sha256sum -c SHA256SUMS` reads.
#
#   cmake -DEXE=path/velmora.exe -DSOURCE=dir -DOUT=dir -DNAME=name -P dist.cmake
set(stage ${OUT}/${NAME})
set(files velmora.exe README.md LICENSE)
file(REMOVE_RECURSE ${stage} ${OUT}/${NAME}.zip)
file(MAKE_DIRECTORY ${stage})
file(COPY_FILE ${EXE} ${stage}/velmora.exe)
file(COPY ${SOURCE}/README.md ${SOURCE}/LICENSE DESTINATION ${stage})
set(sums "")
foreach(file ${files})
  file(SHA256 ${stage}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS "${sums}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT}/${NAME}.zip --format=zip
          ${files} SHA256SUMS
  WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${stage})
message(STATUS "dist: ${OUT}/${NAME}.zip")
