# Runs fnwdsetup.exe --dump-config under Wine and compares what it prints with the recorded dump of
# the shipped configuration.
#   cmake -DWINE_RUN=... -DEXE=... -DEXPECTED=... -P dump_config_test.cmake
execute_process(COMMAND ${WINE_RUN} ${EXE} --dump-config
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "fnwdsetup --dump-config exited with ${rc}: ${err}")
endif()
string(REPLACE "\r\n" "\n" out "${out}")
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/dump_config_actual.txt "${out}")
  message(FATAL_ERROR "the dump differs from ${EXPECTED}; see dump_config_actual.txt")
endif()
message("dump of the shipped configuration: as recorded")
