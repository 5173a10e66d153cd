# Gives a Windows executable the program's icon and version information (shown by Explorer
# and used by Windows for the window, the task bar and the Start-menu entry).
function(bexlorin_windows_resources target description)
    if(NOT WIN32)
        return()
    endif()
    set(BEXLORIN_RC_NAME ${target})
    set(BEXLORIN_RC_DESCRIPTION "${description}")
    set(BEXLORIN_ICON ${PROJECT_SOURCE_DIR}/packaging/bexlorin.ico)
    set(resources ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/bexlorin.rc.in ${resources} @ONLY)
    target_sources(${target} PRIVATE ${resources})
    set_property(SOURCE ${resources} APPEND PROPERTY OBJECT_DEPENDS ${BEXLORIN_ICON})
endfunction()
