"""Browser tests of zylgrid's sign-in: headless Chromium signs in to `zylgrid serve`, edits, signs out; a reader
sees no edit controls. Run: python3 e2e/test_access.py (ZYLGRID, ZYLGRID_DEMO_DATA name the built programs);
exits 77 when Chromium, its driver or Selenium is missing."""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zylsite as z  # noqa: E402
from test_zylgrid import SKIP, Browser, replaced  # noqa: E402

if not SKIP:
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait


class Access(unittest.TestCase):  # ann edits the customers and their orders, rob reads them
    @classmethod
    def setUpClass(cls):
        cls.site = z.Site("zylgrid-access-", "Editable=1\nEditors=ann\nReaders=rob\n")
        users = os.path.join(cls.site.dir, "users.txt")
        for user in ("ann", "rob"):
            subprocess.run([z.ZYLGRID, "passwd", users, user], input=user + "-pw\n", text=True, check=True)
        with open(cls.site.ini) as f:
            text = f.read().replace("[Page]\n", "[Page]\nUsersFile=users.txt\n", 1)
        cls.site.configure(text.replace("Editable=1\nRowsPerPage=10", "Editable=1\nEditors=ann\nRowsPerPage=10"))
        cls.server = z.Server(cls.site)
        cls.browser = Browser(cls.server.url)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit(), cls.server.stop(), cls.site.remove()

    def sign_in(self, user):
        d = self.browser.driver
        d.delete_all_cookies()
        d = self.browser.open().driver
        d.find_element(By.NAME, "zg_user").send_keys(user)
        d.find_element(By.NAME, "zg_password").send_keys(user + "-pw")
        old = d.find_element(By.XPATH, "//input[@type='submit']")
        old.click()
        WebDriverWait(d, 30).until(replaced(old))
        self.assertIn("Signed in as " + user, d.find_element(By.TAG_NAME, "body").text)
        return self.browser

    def sign_out(self):
        d = self.browser.driver
        old = d.find_element(By.XPATH, "//form[@class='zg-user']/input[@type='submit']")
        old.click()
        WebDriverWait(d, 30).until(replaced(old))
        self.assertTrue(d.find_elements(By.NAME, "zg_user"), "the sign-in page again")

    def test_editor_signs_in_edits_and_signs_out(self):
        b = self.sign_in("ann")
        b.type("Customers", "GCELL_0_2", "Edited by ann").click("Customers", "GUPDATE")
        self.assertEqual(self.site.sql("SELECT City FROM customers WHERE Id = 1"), "Edited by ann")
        self.sign_out()
        self.browser.open()
        self.assertFalse(self.browser.driver.find_elements(By.NAME, "GUPDATE"), "signed out: no page")

    def test_reader_sees_no_edit_controls(self):
        b = self.sign_in("rob")
        for name in ("GUPDATE", "GADD", "GDEL"):
            self.assertFalse(b.driver.find_elements(By.NAME, name), name)
        self.assertFalse(b.driver.find_elements(By.XPATH, "//input[starts-with(@name,'GCELL_')]"))
        self.assertTrue(b.rows(), "the records are shown")
        self.sign_out()


if __name__ == "__main__":
    if SKIP:
        print("SKIPPED: " + SKIP)
        sys.exit(z.SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
