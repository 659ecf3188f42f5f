# Desktop integration: the menu entry, its launcher, the icons, the AppStream
# metainfo and the sample model list, in the places desktops and software
# centres look for them. Included from the root CMakeLists.txt after
# GNUInstallDirs.

set(ZENTAB_APP_ID org.zentab.Zentab)
set(ZENTAB_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# The launcher finds the installed sample relative to itself, so that a
# staged (DESTDIR) or relocated installation and the package built with
# another prefix each use their own copy.
file(RELATIVE_PATH ZENTAB_LAUNCHER_BIN_TO_DATA
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/zentab)
configure_file(${ZENTAB_PACKAGING_DIR}/zentab-launcher.in
    ${PROJECT_BINARY_DIR}/packaging/zentab-launcher @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/zentab-launcher
    DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${ZENTAB_PACKAGING_DIR}/${ZENTAB_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZENTAB_PACKAGING_DIR}/${ZENTAB_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNG is rendered from the SVG by packaging/render-icon and committed, so
# that the build needs no SVG renderer.
install(FILES ${ZENTAB_PACKAGING_DIR}/icons/${ZENTAB_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ZENTAB_PACKAGING_DIR}/icons/48x48/${ZENTAB_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)

# The sample model list the launcher copies, when the source tree has one. A
# CONFIGURE_DEPENDS glob rather than if(EXISTS): a build folder configured
# before the sample arrived picks it up on its next build.
file(GLOB ZENTAB_SAMPLE_MODELS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/Models.Dat)
if(ZENTAB_SAMPLE_MODELS)
    install(FILES ${ZENTAB_SAMPLE_MODELS} DESTINATION ${CMAKE_INSTALL_DATADIR}/zentab)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
