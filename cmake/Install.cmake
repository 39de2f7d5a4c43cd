# What `cmake --install` puts in place: the two executables, the desktop menu entry and the
# application icon in the hicolor theme (the PNG sizes rendered from the SVG, and the SVG).
include(GNUInstallDirs)

install(TARGETS veltrane veltrane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/veltrane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/veltrane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME veltrane.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/veltrane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
