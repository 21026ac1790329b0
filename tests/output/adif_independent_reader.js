// Reads an ADIF file written by our export with an independent reader (the
// npm package adif-parser-ts) and checks what it sees: every record with
// call, date, time, band, mode and the DOK under both names.
const fs = require('fs');
const { AdifParser } = require('adif-parser-ts');
const [file, expectedRecords] = process.argv.slice(2);
const parsed = AdifParser.parseAdi(fs.readFileSync(file, 'latin1'));
const fail = (why) => { console.error(why); process.exit(1); };
if (parsed.records.length !== Number(expectedRecords)) {
  fail(`records: ${parsed.records.length}, expected ${expectedRecords}`);
}
for (const r of parsed.records) {
  for (const field of ['call', 'qso_date', 'time_on', 'band', 'mode', 'rst_sent', 'rst_rcvd', 'pts', 'dok']) {
    if (!(field in r)) fail(`record ${JSON.stringify(r)} lacks ${field}`);
  }
  if (!/^\d{8}$/.test(r.qso_date)) fail(`bad QSO_DATE ${r.qso_date}`);
  if (r.dok !== '' && r.darc_dok !== r.dok) fail(`DARC_DOK ${r.darc_dok} differs from DOK ${r.dok}`);
}
console.log(`${parsed.records.length} records read`);
