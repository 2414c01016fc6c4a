# Run at install time on Windows builds (cmake --install, and cpack for the zip
# and the installer): puts beside the program every DLL it and its Qt plugins
# import that is not part of Windows, the plugins themselves, Qt's Russian texts,
# a qt.conf that finds them, and the licences of all that is bundled. The DLLs
# are found by reading import tables, so nothing is copied that nothing loads.
cmake_policy(VERSION 3.25)
set(dest "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(objdump "@TUNETRAWL_OBJDUMP@")
set(qt_prefix "@QT6_INSTALL_PREFIX@")
set(search_dirs "@QT6_INSTALL_PREFIX@/bin" @TUNETRAWL_MINGW_RUNTIME_DIRS@)
# The Qt plugins the program loads: the window system, the native look and TLS.
set(plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll tls/qschannelbackend.dll)

foreach(plugin IN LISTS plugins)
  get_filename_component(folder "${plugin}" DIRECTORY)
  file(INSTALL "${qt_prefix}/plugins/${plugin}" DESTINATION "${dest}/${folder}")
endforeach()

# Breadth first over the import tables; a DLL found in none of the search
# folders is the system's.
set(queue "${dest}/tunetrawl.exe" "${dest}/tunetrawl.com")
foreach(plugin IN LISTS plugins)
  list(APPEND queue "${dest}/${plugin}")
endforeach()
set(bundled "")
while(queue)
  list(POP_FRONT queue binary)
  execute_process(COMMAND "${objdump}" -p "${binary}" OUTPUT_VARIABLE dump
                  COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" key)
    if(key IN_LIST bundled)
      continue()
    endif()
    foreach(dir IN LISTS search_dirs)
      if(EXISTS "${dir}/${dll}")
        list(APPEND bundled "${key}")
        file(INSTALL "${dir}/${dll}" DESTINATION "${dest}")
        list(APPEND queue "${dest}/${dll}")
        break()
      endif()
    endforeach()
  endforeach()
endwhile()

# Qt finds its plugins beside the program; the translations are told here.
file(WRITE "${dest}/qt.conf" "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
file(INSTALL "@TUNETRAWL_QT_TRANSLATIONS@/qtbase_ru.qm" DESTINATION "${dest}/translations")

file(INSTALL "@PROJECT_SOURCE_DIR@/LICENSE" DESTINATION "${dest}/licenses"
     RENAME Tunetrawl-LICENSE.txt)
file(GLOB qt_licenses "${qt_prefix}/licenses/*")
file(INSTALL ${qt_licenses} DESTINATION "${dest}/licenses")
file(INSTALL "@TUNETRAWL_MINGW_RUNTIME_COPYRIGHT@" DESTINATION "${dest}/licenses"
     RENAME gcc-runtime-copyright.txt)
file(INSTALL "@TUNETRAWL_WINPTHREADS_COPYRIGHT@" DESTINATION "${dest}/licenses"
     RENAME mingw-w64-copyright.txt)
