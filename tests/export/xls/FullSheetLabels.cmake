# Included by ctest after the discovered tests are added: gives the full-sheet
# tests both labels. zyl_add_test passes a label list on to
# gtest_discover_tests unescaped, which keeps only the first label.
if(xls_full_sheet_tests_TESTS)
  set_tests_properties(${xls_full_sheet_tests_TESTS} PROPERTIES LABELS "readers;slow")
endif()
