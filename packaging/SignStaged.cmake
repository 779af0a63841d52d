# CPack runs this between staging and packing (CPACK_PRE_BUILD_SCRIPTS): the
# program is signed where it is staged, so the zip and the installer carry it signed.
execute_process(COMMAND "${CPACK_CORVALINTH_SIGN}" "${CPACK_TEMPORARY_DIRECTORY}/Corvalinth.scr"
                RESULT_VARIABLE signed)
if(NOT signed EQUAL 0)
  message(FATAL_ERROR "signing the staged Corvalinth.scr failed")
endif()
