# The tool wiring: folder access, the hook installer, the Codex configuration and the bridge
# script it writes, compiled in as a resource.
target_sources(brimlark_app PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AIHookAccessLocation.h
    ${CMAKE_CURRENT_LIST_DIR}/AIHookAccessManager.h ${CMAKE_CURRENT_LIST_DIR}/AIHookAccessManager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AIHookConfigFile.h ${CMAKE_CURRENT_LIST_DIR}/AIHookConfigFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AIHookInstaller.h ${CMAKE_CURRENT_LIST_DIR}/AIHookInstaller.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AIHookTool.h
    ${CMAKE_CURRENT_LIST_DIR}/ClaudeVersion.h ${CMAKE_CURRENT_LIST_DIR}/ClaudeVersion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CodexConfig.h ${CMAKE_CURRENT_LIST_DIR}/CodexConfig.cpp
)
target_link_libraries(brimlark_app PUBLIC Qt6::Concurrent)

qt_add_resources(brimlark_app "brimlark_hook_bridge"
    PREFIX "/"
    BASE "${PROJECT_SOURCE_DIR}/resources"
    FILES
        ${PROJECT_SOURCE_DIR}/resources/hooks/brimlark-hook-bridge.py
)
