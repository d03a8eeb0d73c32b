# The application bundle's Info.plist, generated from app/Info.plist.in on every platform (a Mac build
# puts it into Quillane.app; elsewhere a test checks it). The bundle identifier and the display name are
# the Homebrew edition's, read from the engine's brand constants so that they are written in one place;
# the bundle name and the version are the project's. Sets QLAN_INFO_PLIST to the generated file.
set(brand_constants ${PROJECT_SOURCE_DIR}/src/engine/editions/BrandConstants.h)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${brand_constants})

# The text of `inline constexpr const char* <name> = "<text>";` in the brand constants.
function(qlan_brand_constant name out)
  file(STRINGS ${brand_constants} lines REGEX "[ \t]${name} = \"[^\"]*\";")
  if(NOT lines MATCHES "${name} = \"([^\"]+)\"")
    message(FATAL_ERROR "${brand_constants} has no text constant ${name}")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

qlan_brand_constant(homebrewEditionIdentifier QLAN_BUNDLE_IDENTIFIER)
qlan_brand_constant(homebrewEditionDisplayName QLAN_DISPLAY_NAME)
# Not where "<program folder>/../Info.plist" of a program of the build would find it (the bundle's place,
# where telemetry reads the version): a test program would take it for its own.
set(QLAN_INFO_PLIST ${PROJECT_BINARY_DIR}/app/Info.plist)
configure_file(${PROJECT_SOURCE_DIR}/app/Info.plist.in ${QLAN_INFO_PLIST} @ONLY)
