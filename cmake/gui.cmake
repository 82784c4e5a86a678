# The desktop program: Qt widgets on top of the core.
file(GLOB_RECURSE GUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/ui/*.cpp ${CMAKE_SOURCE_DIR}/timing/*.cpp
  ${CMAKE_SOURCE_DIR}/engine/*_qt.cpp ${CMAKE_SOURCE_DIR}/lyrics/*_qt.cpp ${CMAKE_SOURCE_DIR}/export/*_qt.cpp)
list(FILTER GUI_SOURCES EXCLUDE REGEX "/app/main\\.cpp$")
file(GLOB_RECURSE GUI_HEADERS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.h ${CMAKE_SOURCE_DIR}/ui/*.h ${CMAKE_SOURCE_DIR}/timing/*.h)
if(GUI_SOURCES)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Network)
  set(CMAKE_AUTOMOC ON)
  add_library(lyricforge_gui STATIC ${GUI_SOURCES} ${GUI_HEADERS})
  target_include_directories(lyricforge_gui PRIVATE ${CMAKE_SOURCE_DIR})
  # Users of the GUI's headers (which include Qt's) link Qt themselves.
  target_link_libraries(lyricforge_gui PUBLIC lyricforge_core lyricforge_settings
                        PRIVATE Qt6::Widgets Qt6::Network)
  target_compile_definitions(lyricforge_gui PUBLIC LYRICFORGE_VERSION="${PROJECT_VERSION}")
  add_executable(lyricforge ${CMAKE_SOURCE_DIR}/app/main.cpp)
  target_include_directories(lyricforge PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(lyricforge PRIVATE lyricforge_gui Qt6::Widgets)
endif()
