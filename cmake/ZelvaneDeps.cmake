# Third-party libraries, found once for every folder. Each becomes an imported target
# named zv::<name> so that folders link what they use and nothing else.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(LIBEVENT REQUIRED IMPORTED_TARGET libevent libevent_pthreads libevent_openssl)
pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
pkg_check_modules(LIBRTMP REQUIRED IMPORTED_TARGET librtmp)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavcodec libavutil libswscale)
pkg_check_modules(AVFORMAT REQUIRED IMPORTED_TARGET libavformat)
pkg_check_modules(OPENSSL REQUIRED IMPORTED_TARGET openssl)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)
find_package(pugixml REQUIRED)

# mbed TLS 2.28 ships no pkg-config file.
find_library(MBEDCRYPTO_LIB mbedcrypto REQUIRED)
find_path(MBEDTLS_INCLUDE_DIR mbedtls/md5.h REQUIRED)
add_library(zv_mbedcrypto INTERFACE)
target_link_libraries(zv_mbedcrypto INTERFACE ${MBEDCRYPTO_LIB})
target_include_directories(zv_mbedcrypto INTERFACE ${MBEDTLS_INCLUDE_DIR})

add_library(zv::event ALIAS PkgConfig::LIBEVENT)
add_library(zv::jsoncpp ALIAS PkgConfig::JSONCPP)
add_library(zv::curl ALIAS PkgConfig::CURL)
add_library(zv::rtmp ALIAS PkgConfig::LIBRTMP)
add_library(zv::ffmpeg ALIAS PkgConfig::FFMPEG)
add_library(zv::avformat ALIAS PkgConfig::AVFORMAT)
add_library(zv::openssl ALIAS PkgConfig::OPENSSL)
add_library(zv::qrencode ALIAS PkgConfig::QRENCODE)
add_library(zv::mbedcrypto ALIAS zv_mbedcrypto)

find_package(GTest REQUIRED)
find_package(benchmark QUIET)

if(ZELVANE_WITH_QT)
  find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Network)
  if(ZELVANE_WITH_WEBENGINE)
    find_package(Qt6 REQUIRED COMPONENTS WebEngineWidgets)
  endif()
endif()
