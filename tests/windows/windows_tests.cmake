# The Windows product under Wine, on a private Xvfb with openbox, as a player
# would meet it: the game itself, and its installer and uninstaller. They run
# in a Wine prefix of their own, started with the display they use.
set(wine_env "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-e2e" "WINEDEBUG=-all" "WINEDLLOVERRIDES=winemenubuilder.exe=d")
add_test(NAME e2e.windows_game COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/game.sh
         $<TARGET_FILE:trakmor> ${CMAKE_CURRENT_BINARY_DIR}/e2e/windows_game)
add_test(NAME e2e.windows_installer COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/installer.sh
         ${CMAKE_BINARY_DIR}/trakmor-${PROJECT_VERSION}-setup.exe ${CMAKE_CURRENT_BINARY_DIR}/e2e/windows_installer ${PROJECT_VERSION})
set_tests_properties(e2e.windows_game e2e.windows_installer PROPERTIES
  RUN_SERIAL TRUE TIMEOUT 300 LABELS e2e ENVIRONMENT "${wine_env}")
