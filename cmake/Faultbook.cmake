include(GoogleTest)

# faultbk_library(<name> [DEPENDS <targets>...])
# One static library per source folder, made of every .cpp directly in that folder.
# A folder that has no sources yet builds an interface target, so that the targets
# above it can already name it.
function(faultbk_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    target_compile_options(${name} PRIVATE -Wall -Wextra)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# faultbk_test(<folder> [DEPENDS <targets>...])
# One test program per tests/ folder, made of every *_test.cpp in it, with each test
# case registered with CTest. Window tests run on the offscreen platform.
function(faultbk_test folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  set(target test_${folder})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS} testsupport GTest::gtest GTest::gmock)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;FAULTBK_TEST_BIN=$<TARGET_FILE_DIR:${target}>"
               TIMEOUT 300)
endfunction()
