# The reference landing page (server/php/landing.php) under PHP's built-in
# server, with its SQLite database in a temporary folder. Needs php-cli and
# php-sqlite3 (scripts/install-packages.sh); Python3 is found by the file
# that includes this one.
add_test(NAME landing_page COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/server/test_landing_page.py)
set_tests_properties(landing_page PROPERTIES TIMEOUT 120)
# The real program posting to the reference landing page.
fetchwell_e2e_test(landing_page_e2e test_landing_php.py)
