// Walks the demo as a person would: every site ticked, every packet chosen
// (the full plug-in of the one "or" choice), the installation, and the final
// page, on which everything must show as present but the plug-in's unchosen
// alternative. Leaving it declines the restart that the plug-in asks for.
//   node walk_demo.js URL SCREENSHOT
'use strict';
const { chromium } = require('playwright-core');

// The status texts of the final page that say a component is not ready.
const missingTexts = ['не установлен', 'не настроен', 'ошибка', 'загружено'];
const unchosenAlternative = 'Плагин электронной подписи 1.4 (облегчённый)';

async function main() {
  const [url, screenshot] = process.argv.slice(2);
  const browser = await chromium.launch({
    executablePath: process.env.VELK_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox'],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1000, height: 750 } });
    // Installing the demo's six products under Wine takes a while.
    page.setDefaultTimeout(180000);
    const reach = (bodyId) => page.waitForSelector('body#' + bodyId);

    await page.goto(url);
    await reach('HtmlHalloDlg');
    await page.click('#ButtonOK');

    await reach('ProviderListDlg');
    await page.waitForSelector('input[type=checkbox]');
    const sites = await page.$$('input[type=checkbox]');
    if (sites.length !== 4) throw new Error(`the demo lists ${sites.length} sites, not 4`);
    for (const site of sites) await site.check();
    await page.click('#ButtonOK');

    await reach('HtmlListDlg');
    await page.waitForSelector('#ComponentList table');
    await page.click('#ButtonOK');

    await reach('PacketSelectDlg');
    await page.waitForSelector('#ComponentList table', { state: 'attached' });
    for (const box of await page.$$('#ComponentList input[type=checkbox]')) await box.check();
    const groups = await page.$$eval('#ComponentList input[type=radio]', (radios) =>
      [...new Set(radios.map((radio) => radio.name))]);
    if (groups.length !== 1) throw new Error(`${groups.length} choices offered, not 1`);
    await page.check(`#ComponentList input[type=radio][name="${groups[0]}"]`);
    const chosen = await page.$eval('#ComponentList input[type=radio]:checked',
      (radio) => radio.parentElement.textContent);
    if (chosen.indexOf(unchosenAlternative) >= 0) throw new Error('the wrong plug-in is chosen');
    await page.click('#ButtonOK');

    await reach('InstallDlg');
    await page.waitForFunction(() => {
      const status = document.getElementById('Status').textContent;
      return status.indexOf('Установка успешно') >= 0 || status.indexOf('Ошибка') >= 0;
    });
    const outcome = await page.textContent('#Status');
    if (outcome.indexOf('Установка успешно') < 0) throw new Error('installation: ' + outcome);
    await page.click('#ButtonOK');

    await reach('HtmlListDlg');
    await page.waitForSelector('#ComponentList table');
    const rows = await page.$$eval('#ComponentList tr', (trs) =>
      trs.map((tr) => tr.textContent.replace(/\s+/g, ' ').trim()).filter((text) => text));
    const missing = rows.filter((row) => missingTexts.some((text) => row.indexOf(text) >= 0) &&
      row.indexOf(unchosenAlternative) < 0);
    if (missing.length) throw new Error('not ready on the final page: ' + missing.join(' | '));
    await page.screenshot({ path: screenshot });
    console.log('final page:\n  ' + rows.join('\n  '));

    await page.click('#ButtonCancel');
    // The plug-in asked for a restart: the wizard offers it; the walk declines.
    await page.click('.velk-overlay button:has-text("Нет")');
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
