# The platform layer: on Linux our POSIX implementation; on Windows the same tests run against the
# real Win32 API (under Wine), which checks that the expectations are Windows' own.

# A module with one export, for the module-handle tests.
pelok_add_module(PelTestLib SOURCES support/test_module.cpp LIBS pelok_platform)

pelok_add_test(ini_file_test SOURCES ini_file_test.cpp LIBS pelok_platform)
pelok_add_test(platform_files_test SOURCES platform_files_test.cpp LIBS pelok_platform)
pelok_add_test(platform_file_system_test SOURCES platform_file_system_test.cpp LIBS pelok_platform)
pelok_add_test(platform_modules_test SOURCES platform_modules_test.cpp LIBS pelok_platform)
add_dependencies(platform_modules_test PelTestLib)
pelok_add_test(platform_process_test SOURCES platform_process_test.cpp LIBS pelok_platform)
pelok_add_test(platform_debug_test SOURCES platform_debug_test.cpp LIBS pelok_platform)

if(NOT WIN32)
  # Only the POSIX layer routes its system calls through the injectable table.
  pelok_add_test(platform_fault_injection_test SOURCES platform_fault_injection_test.cpp
                 LIBS pelok_platform)
  # The text of INI files kept between reads (Windows reads them itself).
  pelok_add_test(ini_file_cache_test SOURCES ini_file_cache_test.cpp LIBS pelok_platform)
endif()
