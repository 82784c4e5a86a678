# The desktop program: Qt widgets on top of the core.
file(GLOB_RECURSE GUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp ${CMAKE_SOURCE_DIR}/ui/*.cpp ${CMAKE_SOURCE_DIR}/timing/*.cpp
  ${CMAKE_SOURCE_DIR}/engine/*_qt.cpp ${CMAKE_SOURCE_DIR}/lyrics/*_qt.cpp ${CMAKE_SOURCE_DIR}/export/*_qt.cpp)
list(FILTER GUI_SOURCES EXCLUDE REGEX "/app/main\\.cpp$")
if(GUI_SOURCES)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  set(CMAKE_AUTOMOC ON)
  add_library(lyricforge_gui STATIC ${GUI_SOURCES})
  target_link_libraries(lyricforge_gui PUBLIC lyricforge_core Qt6::Widgets)
  add_executable(lyricforge ${CMAKE_SOURCE_DIR}/app/main.cpp)
  target_link_libraries(lyricforge PRIVATE lyricforge_gui)
endif()
