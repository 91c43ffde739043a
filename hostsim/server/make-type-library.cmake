# cmake -DWIDL=... -DARCH=win64|win32 -DINCLUDE_DIR=... -DLIBRARY_DIR=...
#       -DIDL=... -DTLB=... -DEPOCH_FILE=... -P make-type-library.cmake
# widl stamps a type library with the time it ran, as text and as a number;
# giving it the commit's time (EPOCH_FILE), in UTC, makes every build of one
# commit write the same type library, and so the same lumora-host.exe.
file(STRINGS ${EPOCH_FILE} epoch LIMIT_COUNT 1)
set(ENV{WIDL_TIME_OVERRIDE} ${epoch})
set(ENV{TZ} UTC)
execute_process(
  COMMAND ${WIDL} --${ARCH} -I ${INCLUDE_DIR} -L ${LIBRARY_DIR} -t -o ${TLB} ${IDL}
  COMMAND_ERROR_IS_FATAL ANY)
