# The usage-event endpoint compiled in must be an https origin (scheme, host and an optional port): a
# build configured with any other is refused. Included by src/engine; also run as a script by a test:
#   cmake -DQLAN_TELEMETRY_ENDPOINT=<origin> -P cmake/TelemetryEndpoint.cmake
function(qlan_check_telemetry_endpoint endpoint)
  if(endpoint STREQUAL "")
    return()
  endif()
  if(NOT endpoint MATCHES "^https://[A-Za-z0-9.-]+(:[0-9]+)?$")
    message(FATAL_ERROR "QLAN_TELEMETRY_ENDPOINT must be an https origin such as https://records.example, "
                        "not \"${endpoint}\"")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  qlan_check_telemetry_endpoint("${QLAN_TELEMETRY_ENDPOINT}")
endif()
