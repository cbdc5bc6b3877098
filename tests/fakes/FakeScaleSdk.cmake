# zpt_fake_scale_sdk(TARGET FOLDER [WITHOUT_POWONZERO]): the fake MvScalesSDK.dll built into
# FOLDER, where a test program placed beside it finds it before any other copy.
function(zpt_fake_scale_sdk target folder)
  add_library(${target} SHARED ${CMAKE_SOURCE_DIR}/tests/fakes/FakeScaleSdk.cpp)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME MvScalesSDK
    RUNTIME_OUTPUT_DIRECTORY ${folder} ARCHIVE_OUTPUT_DIRECTORY ${folder}/lib)
  target_link_libraries(${target} PRIVATE zpt_defaults)
  if("WITHOUT_POWONZERO" IN_LIST ARGN)
    target_compile_definitions(${target} PRIVATE FAKE_SCALE_SDK_WITHOUT_POWONZERO)
  endif()
endfunction()

if(NOT TARGET fake_scale_sdk_control)
  add_library(fake_scale_sdk_control STATIC ${CMAKE_SOURCE_DIR}/tests/fakes/FakeScaleSdkControl.cpp)
  target_link_libraries(fake_scale_sdk_control PUBLIC zpt_defaults)
  target_include_directories(fake_scale_sdk_control PUBLIC ${CMAKE_SOURCE_DIR}/tests)
endif()
