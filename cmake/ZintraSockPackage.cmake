# The ZintraSock package: the socket component, the WinSock layer and the shared types it uses,
# with their public headers under include/zintra (so that "sock/Sock.h" still names them) and a
# package config, so that another project can find_package(ZintraSock) and link Zintra::sock.
# Nothing of the ticker goes in.
include(CMakePackageConfigHelpers)

set(ZINTRA_SOCK_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZintraSock)
set(ZINTRA_SOCK_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/zintra)

foreach(module base winsock sock)
    target_include_directories(zintra_${module} INTERFACE
        $<INSTALL_INTERFACE:${ZINTRA_SOCK_INCLUDE_DIR}>)
    set_target_properties(zintra_${module} PROPERTIES EXPORT_NAME ${module})
endforeach()

install(TARGETS zintra_base zintra_winsock zintra_sock
    EXPORT ZintraSockTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ZintraSock)

# Public headers only: the layer's POSIX side and the selection machinery stay inside.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/base ${PROJECT_SOURCE_DIR}/sock
    DESTINATION ${ZINTRA_SOCK_INCLUDE_DIR} COMPONENT ZintraSock FILES_MATCHING PATTERN "*.h")
install(FILES
        ${PROJECT_SOURCE_DIR}/winsock/SockMessage.h
        ${PROJECT_SOURCE_DIR}/winsock/WinSock.h
        ${PROJECT_SOURCE_DIR}/winsock/WinSockErrors.h
    DESTINATION ${ZINTRA_SOCK_INCLUDE_DIR}/winsock COMPONENT ZintraSock)

install(EXPORT ZintraSockTargets NAMESPACE Zintra::
    DESTINATION ${ZINTRA_SOCK_PACKAGE_DIR} COMPONENT ZintraSock)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZintraSockConfig.cmake.in
    ${PROJECT_BINARY_DIR}/ZintraSockConfig.cmake
    INSTALL_DESTINATION ${ZINTRA_SOCK_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ZintraSockConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES
        ${PROJECT_BINARY_DIR}/ZintraSockConfig.cmake
        ${PROJECT_BINARY_DIR}/ZintraSockConfigVersion.cmake
    DESTINATION ${ZINTRA_SOCK_PACKAGE_DIR} COMPONENT ZintraSock)
