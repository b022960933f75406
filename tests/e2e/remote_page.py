# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the remote's page in headless Chromium on a phone-sized window:
remote_page.py URL PROFILE_FOLDER [SCREENSHOT]. Exits non-zero with the
reason when the page does not show what the programs do."""
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

# "Løpelys 2" with the example step times: each line in turn from 1 to 8 and
# back, one step every 100 ms; the lamps show each change.
SWEEP = [1, 2, 4, 8, 16, 32, 64, 128, 64, 32, 16, 8, 4, 2]
RECORD_LAMPS = """
window.shown = [];
const lamps = [...document.querySelectorAll('[data-line]')];
const byte = () => lamps.reduce((b, lamp, i) => b | (lamp.dataset.on === '1' ? 1 << i : 0), 0);
new MutationObserver(() => {
  const now = byte();
  if (window.shown[window.shown.length - 1] !== now) window.shown.push(now);
}).observe(document.getElementById('lamps'), {subtree: true, attributes: true});
"""


def browser(profile):
    options = webdriver.ChromeOptions()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile):
        options.add_argument(flag)
    # A phone's screen and touch, which a headless window alone does not give.
    options.add_experimental_option("mobileEmulation", {
        "deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 2, "touch": True}})
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def expect(condition, message):
    if not condition:
        sys.exit("FAIL: " + message)


def tap_pattern(page, pattern):
    page.find_element(By.CSS_SELECTOR, f'[data-pattern="{pattern}"]').click()


def main(url, profile, screenshot):
    page = browser(profile)
    try:
        page.get(url)
        wait = WebDriverWait(page, 10)
        wait.until(lambda p: p.find_element(By.ID, "connection").text == "Live")
        expect("token" not in page.current_url, "the token stayed in the address")
        expect(page.execute_script("return document.documentElement.scrollWidth <= innerWidth"),
               "the page is wider than a phone")
        first = page.find_element(By.CSS_SELECTOR, '[data-switch="1"][data-to="on"]')
        expect(first.text == "Aktiver vifte 1", f"the first switch reads {first.text!r}")

        page.execute_script(RECORD_LAMPS)
        tap_pattern(page, 2)
        time.sleep(4)
        shown = [b for b in page.execute_script("return window.shown") if b]
        expected = [SWEEP[i % len(SWEEP)] for i in range(len(shown))]
        expect(len(shown) >= 28 and shown == expected, f"the lamps showed {shown}")
        expect(page.find_element(By.CSS_SELECTOR, '[data-pattern="2"]')
               .get_attribute("aria-pressed") == "true", "Løpelys 2 is not shown running")

        tap_pattern(page, 0)
        wait.until(lambda p: p.execute_script("return window.shown.at(-1) === 0"))
        on = page.find_element(By.CSS_SELECTOR, '[data-switch="3"][data-to="on"]')
        off = page.find_element(By.CSS_SELECTOR, '[data-switch="3"][data-to="off"]')
        expect(on.text.startswith("Aktiver") and on.is_enabled() and not off.is_enabled(),
               "line 3's buttons are not as the switch panel shows them")
        on.click()
        wait.until(lambda p: p.execute_script("return window.shown.at(-1) === 4"))
        wait.until(lambda p: not on.is_enabled() and off.is_enabled())
        if screenshot:
            page.save_screenshot(screenshot)
    finally:
        page.quit()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else "")
