# Run by CPack before it packs the Debian package: Debian ships manual pages and changelogs
# compressed with gzip -9n (no name or time stamp, so that builds repeat byte for byte).
foreach(document usr/share/man/man6/nimbrost.6 usr/share/doc/nimbrost/changelog)
    set(path "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${document}")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "the package lacks ${document}")
    endif()
    execute_process(COMMAND gzip -9nf "${path}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip failed on ${document}")
    endif()
endforeach()
