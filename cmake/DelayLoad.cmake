# Windows looks for a library a program imports in the program's own folder first, unless the
# library is one of the system's "known" ones; a file of that name planted beside kelvo.exe (in a
# Downloads folder, say) would run inside Kelvo before main could narrow the search. The libraries
# named here are linked through delay-load import libraries instead: each is loaded at its first
# call, which comes after main has restricted every later load to System32
# (restrictLibrarySearch).
#
# kelvo_delay_load(<target> <library>...): the import libraries lib<library>.a of the toolchain,
# made again as delay-load ones in the build folder, which the target's link searches first.
function(kelvo_delay_load target)
  find_program(KELVO_DLLTOOL NAMES ${KELVO_MINGW}-dlltool REQUIRED)
  find_program(KELVO_NM NAMES ${KELVO_MINGW}-nm REQUIRED)
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  file(MAKE_DIRECTORY ${dir})
  foreach(library ${ARGN})
    set(implib /usr/${KELVO_MINGW}/lib/lib${library}.a)
    set(delaylib ${dir}/lib${library}.a)
    if(NOT EXISTS ${delaylib} OR ${implib} IS_NEWER_THAN ${delaylib})
      execute_process(COMMAND ${KELVO_DLLTOOL} --identify ${implib} OUTPUT_VARIABLE dll
                      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
      execute_process(COMMAND ${KELVO_NM} -g ${implib} OUTPUT_VARIABLE symbols
                      COMMAND_ERROR_IS_FATAL ANY)
      string(REGEX MATCHALL "__imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
      list(REMOVE_DUPLICATES imports)
      list(TRANSFORM imports REPLACE "^__imp_" "")
      list(JOIN imports "\n" exports)
      file(WRITE ${dir}/${library}.def "LIBRARY \"${dll}\"\nEXPORTS\n${exports}\n")
      execute_process(COMMAND ${KELVO_DLLTOOL} --input-def ${dir}/${library}.def --dllname ${dll}
                              --output-delaylib ${delaylib} COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
  target_link_directories(${target} BEFORE PRIVATE ${dir})
endfunction()
