// Walks the wizard from the welcome page to the final status page in headless
// Chromium and takes a screenshot of every page.
//   node walk_wizard.js URL SCREENSHOT_FOLDER
'use strict';
const { chromium } = require('playwright-core');
const path = require('path');

async function main() {
  const [url, shots] = process.argv.slice(2);
  const browser = await chromium.launch({
    executablePath: process.env.VELK_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1000, height: 750 } });
    page.setDefaultTimeout(60000);
    const shot = (name) => page.screenshot({ path: path.join(shots, name + '.png') });
    // Each page replaces the last in the same window: wait for its body.
    const reach = (bodyId) => page.waitForSelector('body#' + bodyId);

    await page.goto(url);
    await reach('HtmlHalloDlg');
    await shot('1-welcome');
    await page.click('#ButtonOK');

    // Back returns to the welcome page, and Next there fetches the list anew.
    await reach('ProviderListDlg');
    await page.waitForSelector('input[type=checkbox]');
    await page.click('#ButtonBack');
    await reach('HtmlHalloDlg');
    await page.click('#ButtonOK');

    await reach('ProviderListDlg');
    const box = await page.waitForSelector('input[type=checkbox]');
    await shot('2-providers');
    await box.click();
    await page.click('#ButtonOK');

    await reach('HtmlListDlg');
    await page.waitForSelector('#ComponentList table');
    await shot('3-overview');
    await page.click('#ButtonOK');

    await reach('PacketSelectDlg');
    // Hidden tasks get no row, so the list may be an empty table.
    await page.waitForSelector('#ComponentList table', { state: 'attached' });
    await shot('4-packets');
    await page.click('#ButtonOK');

    await reach('InstallDlg');
    await page.waitForFunction(
      () => document.getElementById('Status').textContent.indexOf('Установка успешно') >= 0);
    await shot('5-installation');
    await page.click('#ButtonOK');

    await reach('HtmlListDlg');
    await page.waitForSelector('#ComponentList table');
    // The final page offers only the way out.
    if (await page.$('#ButtonOK')) throw new Error('the final page still offers Next');
    await shot('6-final');
    await page.click('#ButtonCancel');
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
