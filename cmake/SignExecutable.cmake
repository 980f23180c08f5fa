# cmake -DINPUT=file.exe -DOUTPUT=file.exe -DCERT=cert.pem -DKEY=key.pem
#       [-DTIME=seconds-since-1970] [-DTIMESTAMP_URL=url] -P SignExecutable.cmake
# Signs INPUT with Authenticode (SHA-256) into OUTPUT, which may be INPUT
# itself. A fixed TIME makes the signature, and so the file, the same at every
# signing with the same certificate; a time-stamp server (RFC 3161) keeps the
# signature valid after the certificate expires, and makes it differ each time.
# No program name goes into the signature: it would be stored as ASCII, which
# the product's Chinese name is not, and Windows then shows the file name.
find_program(VOZ_OSSLSIGNCODE osslsigncode REQUIRED)
set(arguments sign -certs ${CERT} -key ${KEY} -h sha256)
if(TIME)
  list(APPEND arguments -time ${TIME})
endif()
if(TIMESTAMP_URL)
  list(APPEND arguments -ts ${TIMESTAMP_URL})
endif()
set(signed ${OUTPUT}.signing)
file(REMOVE ${signed})
execute_process(COMMAND ${VOZ_OSSLSIGNCODE} ${arguments} -in ${INPUT} -out ${signed}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  file(REMOVE ${signed})
  message(FATAL_ERROR "osslsigncode could not sign ${INPUT}:\n${output}")
endif()
file(RENAME ${signed} ${OUTPUT})
