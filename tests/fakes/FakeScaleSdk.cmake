# zpt_fake_scale_sdk(TARGET FOLDER [WITHOUT_POWONZERO]): the fake MvScalesSDK.dll built into
# FOLDER, where a test program placed beside it finds it before any other copy.
function(zpt_fake_scale_sdk target folder)
  add_library(${target} SHARED ${CMAKE_SOURCE_DIR}/tests/fakes/FakeScaleSdk.cpp)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME MvScalesSDK
    RUNTIME_OUTPUT_DIRECTORY ${folder} ARCHIVE_OUTPUT_DIRECTORY ${folder}/lib)
  target_link_libraries(${target} PRIVATE zpt_defaults)
  # Bare names, as a maker's SDK exports them and the program asks for: without this, 32-bit
  # __stdcall names carry "@n".
  if(ZPT_I686)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  endif()
  set(missing "")
  if("WITHOUT_POWONZERO" IN_LIST ARGN)
    target_compile_definitions(${target} PRIVATE FAKE_SCALE_SDK_WITHOUT_POWONZERO)
    # The program must still find every name but the last one it resolves.
    set(missing --without OPO_PowOnZero)
  endif()
  zpt_check_exports(${target} ${missing} ${CMAKE_SOURCE_DIR}/devices/ScaleSdk.cpp
    ${CMAKE_SOURCE_DIR}/tests/fakes/FakeScaleSdkControl.cpp)
endfunction()

if(NOT TARGET fake_scale_sdk_control)
  add_library(fake_scale_sdk_control STATIC ${CMAKE_SOURCE_DIR}/tests/fakes/FakeScaleSdkControl.cpp)
  target_link_libraries(fake_scale_sdk_control PUBLIC zpt_defaults)
  target_include_directories(fake_scale_sdk_control PUBLIC ${CMAKE_SOURCE_DIR}/tests)
endif()
