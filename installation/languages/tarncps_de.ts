<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>StringTable</name>
    <message>
        <source>
Profile
TarnCPSProfile
Tarn KVL CPS Files (*.rd4)
.rd4
TarnKVLCPS.Profile
TarnKVLCPS.Profile</source>
        <comment>129</comment>
        <translation>
Profil
TarnCPSProfile
Tarn KVL CPS-Dateien (*.rd4)
.rd4
TarnKVLCPS.Profile
TarnKVLCPS.Profile</translation>
    </message>
    <message>
        <source>Fatal registry Error, the application will be closed!</source>
        <comment>130</comment>
        <translation>Schwerwiegender Fehler in der Registrierung, die Anwendung wird geschlossen!</translation>
    </message>
    <message>
        <source>Unknown Error</source>
        <comment>131</comment>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>Programming error: 107.</source>
        <comment>132</comment>
        <translation>Programmierfehler: 107.</translation>
    </message>
    <message>
        <source>Programming error: 108.</source>
        <comment>133</comment>
        <translation>Programmierfehler: 108.</translation>
    </message>
    <message>
        <source>Fatal error: 102.
Please uninstall and re-install CPS.</source>
        <comment>134</comment>
        <translation>Schwerwiegender Fehler: 102.
Bitte deinstallieren Sie CPS und installieren Sie es erneut.</translation>
    </message>
    <message>
        <source>Invalid profile.</source>
        <comment>135</comment>
        <translation>Ungültiges Profil.</translation>
    </message>
    <message>
        <source>Failed to load profile.</source>
        <comment>136</comment>
        <translation>Das Profil konnte nicht geladen werden.</translation>
    </message>
    <message>
        <source>Fatal error: 101.</source>
        <comment>137</comment>
        <translation>Schwerwiegender Fehler: 101.</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <comment>140</comment>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <comment>141</comment>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Error: Set control color.</source>
        <comment>142</comment>
        <translation>Fehler: Farbe des Steuerelements setzen.</translation>
    </message>
    <message>
        <source>Error: Set background color.</source>
        <comment>143</comment>
        <translation>Fehler: Hintergrundfarbe setzen.</translation>
    </message>
    <message>
        <source>Error: Set view size.</source>
        <comment>144</comment>
        <translation>Fehler: Größe der Ansicht setzen.</translation>
    </message>
    <message>
        <source>Error: Convert coordinate.</source>
        <comment>145</comment>
        <translation>Fehler: Koordinaten umrechnen.</translation>
    </message>
    <message>
        <source>OLE initialization failed. Make sure that the OLE libraries are the correct version.</source>
        <comment>149</comment>
        <translation>Die OLE-Initialisierung ist fehlgeschlagen. Stellen Sie sicher, dass die OLE-Bibliotheken in der richtigen Version vorliegen.</translation>
    </message>
    <message>
        <source>Radio Information</source>
        <comment>151</comment>
        <translation>Funkgeräteinformationen</translation>
    </message>
    <message>
        <source>Regional Code</source>
        <comment>152</comment>
        <translation>Regionalcode</translation>
    </message>
    <message>
        <source>Serial Number</source>
        <comment>153</comment>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Firmware Version</source>
        <comment>154</comment>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>Codeplug Version</source>
        <comment>155</comment>
        <translation>Codeplug-Version</translation>
    </message>
    <message>
        <source>Frequency Range (MHz)</source>
        <comment>156</comment>
        <translation>Frequenzbereich (MHz)</translation>
    </message>
    <message>
        <source>Maximum Channel</source>
        <comment>157</comment>
        <translation>Maximale Kanalanzahl</translation>
    </message>
    <message>
        <source>Buttons</source>
        <comment>158</comment>
        <translation>Tasten</translation>
    </message>
    <message>
        <source>Side Button 1 (SB1)</source>
        <comment>160</comment>
        <translation>Seitentaste 1 (SB1)</translation>
    </message>
    <message>
        <source>Side Button 2 (SB2)</source>
        <comment>161</comment>
        <translation>Seitentaste 2 (SB2)</translation>
    </message>
    <message>
        <source>Button A</source>
        <comment>162</comment>
        <translation>Taste A</translation>
    </message>
    <message>
        <source>Button B</source>
        <comment>163</comment>
        <translation>Taste B</translation>
    </message>
    <message>
        <source>Button C</source>
        <comment>164</comment>
        <translation>Taste C</translation>
    </message>
    <message>
        <source>Preset 1 Channel</source>
        <comment>165</comment>
        <translation>Kanal für Festkanal 1</translation>
    </message>
    <message>
        <source>Preset 2 Channel</source>
        <comment>166</comment>
        <translation>Kanal für Festkanal 2</translation>
    </message>
    <message>
        <source>General Settings</source>
        <comment>167</comment>
        <translation>Allgemeine Einstellungen</translation>
    </message>
    <message>
        <source>Buttons</source>
        <comment>168</comment>
        <translation>Tasten</translation>
    </message>
    <message>
        <source>Channels</source>
        <comment>169</comment>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>Scan List</source>
        <comment>171</comment>
        <translation>Suchlaufliste</translation>
    </message>
    <message>
        <source>Audio Settings</source>
        <comment>172</comment>
        <translation>Audioeinstellungen</translation>
    </message>
    <message>
        <source>Microphone Gain</source>
        <comment>173</comment>
        <translation>Mikrofonverstärkung</translation>
    </message>
    <message>
        <source>Accessory Microphone Gain</source>
        <comment>174</comment>
        <translation>Verstärkung Zubehörmikrofon</translation>
    </message>
    <message>
        <source>VOX Level</source>
        <comment>175</comment>
        <translation>VOX-Pegel</translation>
    </message>
    <message>
        <source>iVOX Level</source>
        <comment>176</comment>
        <translation>iVOX-Pegel</translation>
    </message>
    <message>
        <source>Roger Beep Tone</source>
        <comment>177</comment>
        <translation>Roger-Beep-Ton</translation>
    </message>
    <message>
        <source>Keypad Beep</source>
        <comment>178</comment>
        <translation>Tastenton</translation>
    </message>
    <message>
        <source>Recent File</source>
        <comment>180</comment>
        <translation>Zuletzt verwendete Datei</translation>
    </message>
    <message>
        <source>Medium</source>
        <comment>182</comment>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>Scan List</source>
        <comment>184</comment>
        <translation>Suchlaufliste</translation>
    </message>
    <message>
        <source>&amp;Add&gt;&gt;</source>
        <comment>185</comment>
        <translation>&amp;Hinzufügen&gt;&gt;</translation>
    </message>
    <message>
        <source>&lt;&lt;Re&amp;move</source>
        <comment>186</comment>
        <translation>&lt;&lt;&amp;Entfernen</translation>
    </message>
    <message>
        <source>Available Channels</source>
        <comment>187</comment>
        <translation>Verfügbare Kanäle</translation>
    </message>
    <message>
        <source>Scan List Members</source>
        <comment>188</comment>
        <translation>Mitglieder der Suchlaufliste</translation>
    </message>
    <message>
        <source>12.5</source>
        <comment>189</comment>
        <translation>12.5</translation>
    </message>
    <message>
        <source>25</source>
        <comment>190</comment>
        <translation>25</translation>
    </message>
    <message>
        <source>Low</source>
        <comment>191</comment>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>High</source>
        <comment>192</comment>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>OFF</source>
        <comment>193</comment>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Scramble Code 1</source>
        <comment>194</comment>
        <translation>Scrambler-Code 1</translation>
    </message>
    <message>
        <source>Scramble Code 2</source>
        <comment>195</comment>
        <translation>Scrambler-Code 2</translation>
    </message>
    <message>
        <source>Scramble Code 3</source>
        <comment>196</comment>
        <translation>Scrambler-Code 3</translation>
    </message>
    <message>
        <source>Channels</source>
        <comment>197</comment>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>General Settings</source>
        <comment>198</comment>
        <translation>Allgemeine Einstellungen</translation>
    </message>
    <message>
        <source>Codeplug Password (4-digit number)</source>
        <comment>199</comment>
        <translation>Codeplug-Kennwort (4-stellige Zahl)</translation>
    </message>
    <message>
        <source>Confirm Password (4-digit number)</source>
        <comment>200</comment>
        <translation>Kennwort bestätigen (4-stellige Zahl)</translation>
    </message>
    <message>
        <source>Power Up Text</source>
        <comment>201</comment>
        <translation>Einschalttext</translation>
    </message>
    <message>
        <source>Disable All LEDs</source>
        <comment>202</comment>
        <translation>Alle LEDs deaktivieren</translation>
    </message>
    <message>
        <source>Keypad Lock</source>
        <comment>203</comment>
        <translation>Tastensperre</translation>
    </message>
    <message>
        <source>Disable Restore Factory Default</source>
        <comment>204</comment>
        <translation>Wiederherstellen der Werkseinstellungen deaktivieren</translation>
    </message>
    <message>
        <source>Back Light (Sec.)</source>
        <comment>205</comment>
        <translation>Hintergrundbeleuchtung (Sek.)</translation>
    </message>
    <message>
        <source>Transmit Timeout Timer (Sec.)</source>
        <comment>206</comment>
        <translation>Sendezeitbegrenzung (Sek.)</translation>
    </message>
    <message>
        <source>Call Tone</source>
        <comment>207</comment>
        <translation>Rufton</translation>
    </message>
    <message>
        <source>PL Reverse Burst</source>
        <comment>208</comment>
        <translation>PL-Reverse-Burst</translation>
    </message>
    <message>
        <source>Alternate Battery Selection</source>
        <comment>209</comment>
        <translation>Alternative Akkuauswahl</translation>
    </message>
    <message>
        <source>Alternate Battery Selection</source>
        <comment>210</comment>
        <translation>Alternative Akkuauswahl</translation>
    </message>
    <message>
        <source>Disable Battery Save</source>
        <comment>211</comment>
        <translation>Energiesparmodus deaktivieren</translation>
    </message>
    <message>
        <source>Please enter 4 numeric characters.</source>
        <comment>212</comment>
        <translation>Bitte geben Sie 4 Ziffern ein.</translation>
    </message>
    <message>
        <source>Do you want to reset all buttons with their defaults?</source>
        <comment>213</comment>
        <translation>Möchten Sie alle Tasten auf ihre Standardwerte zurücksetzen?</translation>
    </message>
    <message>
        <source>OFF</source>
        <comment>214</comment>
        <translation>AUS</translation>
    </message>
    <message>
        <source>5</source>
        <comment>215</comment>
        <translation>5</translation>
    </message>
    <message>
        <source>10</source>
        <comment>216</comment>
        <translation>10</translation>
    </message>
    <message>
        <source>60</source>
        <comment>217</comment>
        <translation>60</translation>
    </message>
    <message>
        <source>120</source>
        <comment>218</comment>
        <translation>120</translation>
    </message>
    <message>
        <source>180</source>
        <comment>219</comment>
        <translation>180</translation>
    </message>
    <message>
        <source>OFF</source>
        <comment>220</comment>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Call Tone</source>
        <comment>221</comment>
        <translation>Rufton</translation>
    </message>
    <message>
        <source>Channel name can only contain: A-Z, 0-9, b, c, d, g, h, l, i, o, r, u, *, {, }, ?, &amp;, %, ., +, /, \, -, &apos;</source>
        <comment>222</comment>
        <translation>Der Kanalname darf nur diese Zeichen enthalten: A-Z, 0-9, b, c, d, g, h, l, i, o, r, u, *, {, }, ?, &amp;, %, ., +, /, \, -, &apos;</translation>
    </message>
    <message>
        <source>Profile Loading Error.&#13;
File: %s&#13;
Desc: %s&#13;
Line: %d, Pos: %d&#13;
SRC: %s</source>
        <comment>223</comment>
        <translation>Fehler beim Laden des Profils.&#13;
Datei: %s&#13;
Beschreibung: %s&#13;
Zeile: %d, Position: %d&#13;
Quelle: %s</translation>
    </message>
    <message>
        <source>180</source>
        <comment>224</comment>
        <translation>180</translation>
    </message>
    <message>
        <source>240</source>
        <comment>225</comment>
        <translation>240</translation>
    </message>
    <message>
        <source>Alkaline</source>
        <comment>226</comment>
        <translation>Alkali</translation>
    </message>
    <message>
        <source>Nickel/LiIon</source>
        <comment>227</comment>
        <translation>Nickel/Li-Ion</translation>
    </message>
    <message>
        <source>The passwords you entered do not match.</source>
        <comment>228</comment>
        <translation>Die eingegebenen Kennwörter stimmen nicht überein.</translation>
    </message>
    <message>
        <source>Channels</source>
        <comment>229</comment>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>Add Channel</source>
        <comment>230</comment>
        <translation>Kanal hinzufügen</translation>
    </message>
    <message>
        <source>Receive</source>
        <comment>232</comment>
        <translation>Empfangen</translation>
    </message>
    <message>
        <source>Frequency (MHz)</source>
        <comment>233</comment>
        <translation>Frequenz (MHz)</translation>
    </message>
    <message>
        <source>Bandwidth (KHz)</source>
        <comment>234</comment>
        <translation>Bandbreite (kHz)</translation>
    </message>
    <message>
        <source>PL/DPL Code</source>
        <comment>235</comment>
        <translation>PL/DPL-Code</translation>
    </message>
    <message>
        <source>Transmit</source>
        <comment>236</comment>
        <translation>Senden</translation>
    </message>
    <message>
        <source>Scramble</source>
        <comment>237</comment>
        <translation>Scrambler</translation>
    </message>
    <message>
        <source>Repeater</source>
        <comment>238</comment>
        <translation>Repeater</translation>
    </message>
    <message>
        <source>Auto Scan</source>
        <comment>239</comment>
        <translation>Automatischer Suchlauf</translation>
    </message>
    <message>
        <source>Enable Programming Mode</source>
        <comment>240</comment>
        <translation>Programmiermodus aktivieren</translation>
    </message>
    <message>
        <source>Repeater Power</source>
        <comment>241</comment>
        <translation>Sendeleistung Repeater</translation>
    </message>
    <message>
        <source>RF Frequency</source>
        <comment>242</comment>
        <translation>HF-Frequenz</translation>
    </message>
    <message>
        <source>Frequency (MHz)</source>
        <comment>243</comment>
        <translation>Frequenz (MHz)</translation>
    </message>
    <message>
        <source>Bandwidth</source>
        <comment>244</comment>
        <translation>Bandbreite</translation>
    </message>
    <message>
        <source>Power Level</source>
        <comment>245</comment>
        <translation>Leistungsstufe</translation>
    </message>
    <message>
        <source>Add</source>
        <comment>246</comment>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <comment>247</comment>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <comment>248</comment>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Invalid Value.</source>
        <comment>261</comment>
        <translation>Ungültiger Wert.</translation>
    </message>
    <message>
        <source>Error: Radio information view loads data.</source>
        <comment>262</comment>
        <translation>Fehler: Laden der Daten in die Ansicht.</translation>
    </message>
    <message>
        <source>Error: Load dealer information failed.</source>
        <comment>263</comment>
        <translation>Fehler: Die Händlerinformationen konnten nicht geladen werden.</translation>
    </message>
    <message>
        <source>Error: There is an error when acquiring language type.</source>
        <comment>264</comment>
        <translation>Fehler: Beim Ermitteln der Sprache ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>Dealer Information</source>
        <comment>265</comment>
        <translation>Händlerinformationen</translation>
    </message>
    <message>
        <source>Dealer Information</source>
        <comment>266</comment>
        <translation>Händlerinformationen</translation>
    </message>
    <message>
        <source>Contact Information</source>
        <comment>267</comment>
        <translation>Kontaktinformationen</translation>
    </message>
    <message>
        <source>Notes</source>
        <comment>268</comment>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Invalid frequency: This frequency is not supported by this radio.</source>
        <comment>269</comment>
        <translation>Ungültige Frequenz: Diese Frequenz wird von diesem Funkgerät nicht unterstützt.</translation>
    </message>
    <message>
        <source>New Profile</source>
        <comment>272</comment>
        <translation>Neues Profil</translation>
    </message>
    <message>
        <source>Please choose profile model.</source>
        <comment>273</comment>
        <translation>Bitte wählen Sie das Modell des Profils.</translation>
    </message>
    <message>
        <source>%s Customer Programming Software</source>
        <comment>274</comment>
        <translation>%s Kunden-Programmiersoftware</translation>
    </message>
    <message>
        <source>Version %s</source>
        <comment>275</comment>
        <translation>Version %s</translation>
    </message>
    <message>
        <source>The password is not correct. Please check it!</source>
        <comment>279</comment>
        <translation>Das Kennwort ist nicht korrekt. Bitte überprüfen Sie es!</translation>
    </message>
    <message>
        <source>Power up text can only contain: A-Z, 0-9, b, c, d, g, h, l, i, o, r, u, *, {, }, ?, &amp;, %, ., +, /, \, -, &apos;</source>
        <comment>280</comment>
        <translation>Der Einschalttext darf nur diese Zeichen enthalten: A-Z, 0-9, b, c, d, g, h, l, i, o, r, u, *, {, }, ?, &amp;, %, ., +, /, \, -, &apos;</translation>
    </message>
    <message>
        <source>One feature can not be assigned to multiple buttons.</source>
        <comment>281</comment>
        <translation>Eine Funktion kann nicht mehreren Tasten zugewiesen werden.</translation>
    </message>
    <message>
        <source>The channel can not be selected!</source>
        <comment>282</comment>
        <translation>Der Kanal kann nicht ausgewählt werden!</translation>
    </message>
    <message>
        <source>RF Frequency</source>
        <comment>283</comment>
        <translation>HF-Frequenz</translation>
    </message>
    <message>
        <source>Invalid Frequency.</source>
        <comment>284</comment>
        <translation>Ungültige Frequenz.</translation>
    </message>
    <message>
        <source>Invalid Bandwidth selection.</source>
        <comment>285</comment>
        <translation>Ungültige Auswahl der Bandbreite.</translation>
    </message>
    <message>
        <source>Invalid Power level selection.</source>
        <comment>286</comment>
        <translation>Ungültige Auswahl der Leistungsstufe.</translation>
    </message>
    <message>
        <source>The frequency you are adding already exists.</source>
        <comment>287</comment>
        <translation>Die Frequenz, die Sie hinzufügen möchten, ist bereits vorhanden.</translation>
    </message>
    <message>
        <source>Frequency (Frequencies) used by channel can not be deleted.</source>
        <comment>288</comment>
        <translation>Frequenzen, die von einem Kanal verwendet werden, können nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>User selectable with %s KHz as default</source>
        <comment>289</comment>
        <translation>Vom Benutzer wählbar, Standard %s kHz</translation>
    </message>
    <message>
        <source>User selectable with %s KHz as default</source>
        <comment>290</comment>
        <translation>Vom Benutzer wählbar, Standard %s kHz</translation>
    </message>
    <message>
        <source>Save</source>
        <comment>291</comment>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <comment>292</comment>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Index</source>
        <comment>293</comment>
        <translation>Index</translation>
    </message>
    <message>
        <source>User selectable with low power as default</source>
        <comment>294</comment>
        <translation>Vom Benutzer wählbar, Standard niedrige Leistung</translation>
    </message>
    <message>
        <source>User selectable with high power as default</source>
        <comment>295</comment>
        <translation>Vom Benutzer wählbar, Standard hohe Leistung</translation>
    </message>
    <message>
        <source>Error: Can not find template files!</source>
        <comment>296</comment>
        <translation>Fehler: Es wurden keine Vorlagendateien gefunden!</translation>
    </message>
    <message>
        <source>About</source>
        <comment>297</comment>
        <translation>Info über</translation>
    </message>
    <message>
        <source>A similar name already exists in Channels personalities. Please specify a different name.</source>
        <comment>298</comment>
        <translation>Ein gleicher Name ist bei den Kanälen bereits vorhanden. Bitte geben Sie einen anderen Namen an.</translation>
    </message>
    <message>
        <source>The CPS does not support this profile&apos;s region.</source>
        <comment>310</comment>
        <translation>Die CPS unterstützt die Region dieses Profils nicht.</translation>
    </message>
    <message>
        <source>Some files needed by CPS are not available.
Please reinstall CPS.</source>
        <comment>315</comment>
        <translation>Einige von CPS benötigte Dateien sind nicht vorhanden.
Bitte installieren Sie CPS neu.</translation>
    </message>
    <message>
        <source>Down Button:</source>
        <comment>318</comment>
        <translation>Taste Ab:</translation>
    </message>
    <message>
        <source>Choose a report template.</source>
        <comment>320</comment>
        <translation>Wählen Sie eine Berichtsvorlage.</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <comment>321</comment>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>Detailed Report</source>
        <comment>322</comment>
        <translation>Detaillierter Bericht</translation>
    </message>
    <message>
        <source>Customer Handout</source>
        <comment>323</comment>
        <translation>Kundenmerkblatt</translation>
    </message>
    <message>
        <source>The language resource file is missing. The CPS will start with English language version.</source>
        <comment>325</comment>
        <translation>Die Sprachressourcendatei fehlt. Die CPS wird in der englischen Sprachversion gestartet.</translation>
    </message>
    <message>
        <source>Reports</source>
        <comment>326</comment>
        <translation>Berichte</translation>
    </message>
    <message>
        <source>Invalid Value.</source>
        <comment>327</comment>
        <translation>Ungültiger Wert.</translation>
    </message>
    <message>
        <source>Print</source>
        <comment>328</comment>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Files</source>
        <comment>331</comment>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>All Files</source>
        <comment>337</comment>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>The last valid channel can not be deleted.</source>
        <comment>338</comment>
        <translation>Der letzte gültige Kanal kann nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>Scramble Button</source>
        <comment>339</comment>
        <translation>Scrambler-Taste</translation>
    </message>
    <message>
        <source>Selectable</source>
        <comment>340</comment>
        <translation>Wählbar</translation>
    </message>
    <message>
        <source>ON/OFF</source>
        <comment>341</comment>
        <translation>EIN/AUS</translation>
    </message>
    <message>
        <source>Codeplug version of CPS and profile are incompatible! Please update your CPS.</source>
        <comment>342</comment>
        <translation>Die Codeplug-Versionen von CPS und Profil sind nicht kompatibel! Bitte aktualisieren Sie Ihre CPS.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <comment>343</comment>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <comment>344</comment>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <comment>345</comment>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Device</source>
        <comment>346</comment>
        <translation>&amp;Gerät</translation>
    </message>
    <message>
        <source>&amp;Report</source>
        <comment>347</comment>
        <translation>Be&amp;richt</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <comment>348</comment>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <comment>349</comment>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;New	Ctrl+N</source>
        <comment>350</comment>
        <translation>&amp;Neu	Ctrl+N</translation>
    </message>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <comment>351</comment>
        <translation>Ö&amp;ffnen...	Ctrl+O</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <comment>352</comment>
        <translation>Schl&amp;ießen</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <comment>353</comment>
        <translation>&amp;Speichern	Ctrl+S</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <comment>354</comment>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <comment>355</comment>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Add	Ctrl+A</source>
        <comment>356</comment>
        <translation>&amp;Hinzufügen	Ctrl+A</translation>
    </message>
    <message>
        <source>Cu&amp;t	Ctrl+X</source>
        <comment>357</comment>
        <translation>&amp;Ausschneiden	Ctrl+X</translation>
    </message>
    <message>
        <source>&amp;Copy	Ctrl+C</source>
        <comment>358</comment>
        <translation>&amp;Kopieren	Ctrl+C</translation>
    </message>
    <message>
        <source>&amp;Paste	Ctrl+V</source>
        <comment>359</comment>
        <translation>&amp;Einfügen	Ctrl+V</translation>
    </message>
    <message>
        <source>&amp;Delete	Del</source>
        <comment>360</comment>
        <translation>&amp;Löschen	Del</translation>
    </message>
    <message>
        <source>&amp;Rename	F2</source>
        <comment>361</comment>
        <translation>&amp;Umbenennen	F2</translation>
    </message>
    <message>
        <source>Dealer &amp;Info</source>
        <comment>362</comment>
        <translation>Händler&amp;info</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <comment>363</comment>
        <translation>&amp;Symbolleiste</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <comment>364</comment>
        <translation>Status&amp;leiste</translation>
    </message>
    <message>
        <source>&amp;Read	Ctrl+R</source>
        <comment>365</comment>
        <translation>&amp;Lesen	Ctrl+R</translation>
    </message>
    <message>
        <source>&amp;Write	Ctrl+W</source>
        <comment>366</comment>
        <translation>&amp;Schreiben	Ctrl+W</translation>
    </message>
    <message>
        <source>R&amp;eset	Ctrl+E</source>
        <comment>367</comment>
        <translation>&amp;Zurücksetzen	Ctrl+E</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <comment>368</comment>
        <translation>Inf&amp;o über</translation>
    </message>
    <message>
        <source>&amp;Content and Index	F1</source>
        <comment>369</comment>
        <translation>&amp;Inhalt und Index	F1</translation>
    </message>
    <message>
        <source>&amp;Cascade</source>
        <comment>370</comment>
        <translation>Ü&amp;berlappend</translation>
    </message>
    <message>
        <source>&amp;Tile</source>
        <comment>371</comment>
        <translation>&amp;Nebeneinander</translation>
    </message>
    <message>
        <source>COM initial failed.</source>
        <comment>372</comment>
        <translation>Die COM-Initialisierung ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Failed to open registry!</source>
        <comment>373</comment>
        <translation>Die Registrierung konnte nicht geöffnet werden!</translation>
    </message>
    <message>
        <source>Failed to write registry!</source>
        <comment>374</comment>
        <translation>In die Registrierung konnte nicht geschrieben werden!</translation>
    </message>
    <message>
        <source>The dealer information in the registry is too long to fit the dialog, please check it!</source>
        <comment>375</comment>
        <translation>Die Händlerinformationen in der Registrierung sind zu lang für den Dialog, bitte überprüfen Sie sie!</translation>
    </message>
    <message>
        <source>Invalid serial number</source>
        <comment>376</comment>
        <translation>Ungültige Seriennummer</translation>
    </message>
    <message>
        <source>Do you want to delete the selected item(s)?</source>
        <comment>378</comment>
        <translation>Möchten Sie die ausgewählten Einträge löschen?</translation>
    </message>
    <message>
        <source>Please enter the password:</source>
        <comment>379</comment>
        <translation>Bitte geben Sie das Kennwort ein:</translation>
    </message>
    <message>
        <source>CPS needs vbscript engine to start. Please install vbscript engine before re-starting the %s.</source>
        <comment>381</comment>
        <translation>CPS benötigt zum Starten die vbscript-Engine. Bitte installieren Sie die vbscript-Engine, bevor Sie %s erneut starten.</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <comment>382</comment>
        <translation>Druckvorschau</translation>
    </message>
    <message>
        <source>Save As</source>
        <comment>383</comment>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Close</source>
        <comment>384</comment>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>The frequency already exists!</source>
        <comment>385</comment>
        <translation>Die Frequenz ist bereits vorhanden!</translation>
    </message>
    <message>
        <source>%s KHz only</source>
        <comment>386</comment>
        <translation>Nur %s kHz</translation>
    </message>
    <message>
        <source>%s KHz only</source>
        <comment>387</comment>
        <translation>Nur %s kHz</translation>
    </message>
    <message>
        <source>Low power only</source>
        <comment>388</comment>
        <translation>Nur niedrige Leistung</translation>
    </message>
    <message>
        <source>High power only</source>
        <comment>389</comment>
        <translation>Nur hohe Leistung</translation>
    </message>
    <message>
        <source>Codeplug is corrupted</source>
        <comment>391</comment>
        <translation>Der Codeplug ist beschädigt</translation>
    </message>
    <message>
        <source>E-mail</source>
        <comment>392</comment>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>The MAPI is not installed, you need to install it to send an e-mail.</source>
        <comment>393</comment>
        <translation>MAPI ist nicht installiert. Sie müssen es installieren, um eine E-Mail zu senden.</translation>
    </message>
    <message>
        <source>Some personalities in Channels which use this frequency have been modified, do you want to continue with the changes?</source>
        <comment>394</comment>
        <translation>Einige Kanäle, die diese Frequenz verwenden, wurden geändert. Möchten Sie mit den Änderungen fortfahren?</translation>
    </message>
    <message>
        <source>Talkaround Power</source>
        <comment>398</comment>
        <translation>Sendeleistung Direktverkehr</translation>
    </message>
    <message>
        <source>&amp;Help Pane</source>
        <comment>399</comment>
        <translation>&amp;Hilfebereich</translation>
    </message>
    <message>
        <source>In talkaround mode, Transmit will use Receive settings.</source>
        <comment>400</comment>
        <translation>Im Direktverkehr wird beim Senden die Empfangseinstellung verwendet.</translation>
    </message>
    <message>
        <source>This channel is assigned to a Preset Channel button. Deleting this channel shall cause the value change of the Preset Channel button. Do you want to continue?</source>
        <comment>401</comment>
        <translation>Dieser Kanal ist einer Festkanaltaste zugewiesen. Durch das Löschen dieses Kanals ändert sich der Wert der Festkanaltaste. Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>Wevo Series</source>
        <comment>413</comment>
        <translation>Wevo-Serie</translation>
    </message>
    <message>
        <source>Disable</source>
        <comment>414</comment>
        <translation>Deaktiviert</translation>
    </message>
    <message>
        <source>Enable</source>
        <comment>415</comment>
        <translation>Aktiviert</translation>
    </message>
    <message>
        <source>Monitor</source>
        <comment>416</comment>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>Scan/Nuisance Channel Delete</source>
        <comment>417</comment>
        <translation>Suchlauf/Störkanal löschen</translation>
    </message>
    <message>
        <source>You don&apos;t have permission to save %s in %s\%s\.&#13;
Would you like to save it in %s\ instead?</source>
        <comment>418</comment>
        <translation>Sie haben keine Berechtigung, %s in %s\%s\ zu speichern.&#13;
Möchten Sie die Datei stattdessen in %s\ speichern?</translation>
    </message>
    <message>
        <source>Tx Power Selection</source>
        <comment>419</comment>
        <translation>Auswahl der Sendeleistung</translation>
    </message>
    <message>
        <source>Failed to generate report.</source>
        <comment>420</comment>
        <translation>Der Bericht konnte nicht erstellt werden.</translation>
    </message>
    <message>
        <source>Repeater/Talkaround</source>
        <comment>421</comment>
        <translation>Repeater/Direktverkehr</translation>
    </message>
    <message>
        <source>No Operation</source>
        <comment>422</comment>
        <translation>Keine Funktion</translation>
    </message>
    <message>
        <source>Backlight</source>
        <comment>423</comment>
        <translation>Hintergrundbeleuchtung</translation>
    </message>
    <message>
        <source>Preset 1</source>
        <comment>424</comment>
        <translation>Festkanal 1</translation>
    </message>
    <message>
        <source>Preset 2</source>
        <comment>425</comment>
        <translation>Festkanal 2</translation>
    </message>
    <message>
        <source>Frequency</source>
        <comment>426</comment>
        <translation>Frequenz</translation>
    </message>
    <message>
        <source>None</source>
        <comment>427</comment>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Channel #</source>
        <comment>428</comment>
        <translation>Kanal Nr.</translation>
    </message>
    <message>
        <source>Name</source>
        <comment>429</comment>
        <translation>Name</translation>
    </message>
    <message>
        <source>Receive/Transmit</source>
        <comment>430</comment>
        <translation>Empfangen/Senden</translation>
    </message>
    <message>
        <source>Frequency(Index)</source>
        <comment>431</comment>
        <translation>Frequenz(Index)</translation>
    </message>
    <message>
        <source>MHz</source>
        <comment>432</comment>
        <translation>MHz</translation>
    </message>
    <message>
        <source>%s KHz</source>
        <comment>433</comment>
        <translation>%s kHz</translation>
    </message>
    <message>
        <source>%s KHz</source>
        <comment>434</comment>
        <translation>%s kHz</translation>
    </message>
    <message>
        <source>No PL/DPL code</source>
        <comment>435</comment>
        <translation>Kein PL/DPL-Code</translation>
    </message>
    <message>
        <source>Model</source>
        <comment>436</comment>
        <translation>Modell</translation>
    </message>
    <message>
        <source>QLM</source>
        <comment>437</comment>
        <translation>QLM</translation>
    </message>
    <message>
        <source>KT940</source>
        <comment>438</comment>
        <translation>KT940</translation>
    </message>
    <message>
        <source>ZR440</source>
        <comment>441</comment>
        <translation>ZR440</translation>
    </message>
    <message>
        <source>Push-to-Talk (PTT)</source>
        <comment>442</comment>
        <translation>Sendetaste (PTT)</translation>
    </message>
    <message>
        <source>Menu Button:</source>
        <comment>443</comment>
        <translation>Menütaste:</translation>
    </message>
    <message>
        <source>Menu Mode</source>
        <comment>444</comment>
        <translation>Menümodus</translation>
    </message>
    <message>
        <source>Channel Selector</source>
        <comment>445</comment>
        <translation>Kanalwahlschalter</translation>
    </message>
    <message>
        <source>Power/Volume Knob</source>
        <comment>446</comment>
        <translation>Ein/Aus- und Lautstärkeregler</translation>
    </message>
    <message>
        <source>Transmit Power</source>
        <comment>447</comment>
        <translation>Sendeleistung</translation>
    </message>
    <message>
        <source>Scroll down the menu items/change channel</source>
        <comment>448</comment>
        <translation>Menüeinträge abwärts blättern/Kanal wechseln</translation>
    </message>
    <message>
        <source>Up Button:</source>
        <comment>449</comment>
        <translation>Taste Auf:</translation>
    </message>
    <message>
        <source>Scroll up the menu items/change channel</source>
        <comment>450</comment>
        <translation>Menüeinträge aufwärts blättern/Kanal wechseln</translation>
    </message>
    <message>
        <source>Tri-Color LED</source>
        <comment>451</comment>
        <translation>Dreifarbige LED</translation>
    </message>
    <message>
        <source>Model Number</source>
        <comment>452</comment>
        <translation>Modellnummer</translation>
    </message>
    <message>
        <source>Microphone</source>
        <comment>453</comment>
        <translation>Mikrofon</translation>
    </message>
    <message>
        <source>Spring Action Belt Clip</source>
        <comment>454</comment>
        <translation>Gürtelclip mit Federmechanismus</translation>
    </message>
    <message>
        <source>Accessory Jack</source>
        <comment>455</comment>
        <translation>Zubehörbuchse</translation>
    </message>
    <message>
        <source>Li-Ion Battery Pack</source>
        <comment>456</comment>
        <translation>Li-Ionen-Akku</translation>
    </message>
    <message>
        <source>Not all frequencies are authorized for high power mode (4W). CPS shall convert these frequencies to low power mode.</source>
        <comment>458</comment>
        <translation>Nicht alle Frequenzen sind für hohe Sendeleistung (4 W) zugelassen. CPS stellt diese Frequenzen auf niedrige Leistung um.</translation>
    </message>
    <message>
        <source>(default)</source>
        <comment>459</comment>
        <translation>(Standard)</translation>
    </message>
    <message>
        <source>The frequency is authorized for 2W maximum transmit power.  CPS shall convert to low power mode.</source>
        <comment>460</comment>
        <translation>Die Frequenz ist für höchstens 2 W Sendeleistung zugelassen. CPS stellt auf niedrige Leistung um.</translation>
    </message>
    <message>
        <source>ON</source>
        <comment>465</comment>
        <translation>EIN</translation>
    </message>
    <message>
        <source>OFF</source>
        <comment>466</comment>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Customized PL</source>
        <comment>470</comment>
        <translation>Benutzerdefinierter PL</translation>
    </message>
    <message>
        <source>Customized PL</source>
        <comment>471</comment>
        <translation>Benutzerdefinierter PL</translation>
    </message>
    <message>
        <source>PL Code 124 (Hz)</source>
        <comment>472</comment>
        <translation>PL-Code 124 (Hz)</translation>
    </message>
    <message>
        <source>PL Code 125 (Hz)</source>
        <comment>473</comment>
        <translation>PL-Code 125 (Hz)</translation>
    </message>
    <message>
        <source>PL Code 126 (Hz)</source>
        <comment>474</comment>
        <translation>PL-Code 126 (Hz)</translation>
    </message>
    <message>
        <source>PL Code 127 (Hz)</source>
        <comment>475</comment>
        <translation>PL-Code 127 (Hz)</translation>
    </message>
    <message>
        <source>PL Code 128 (Hz)</source>
        <comment>476</comment>
        <translation>PL-Code 128 (Hz)</translation>
    </message>
    <message>
        <source>PL Code 129 (Hz)</source>
        <comment>477</comment>
        <translation>PL-Code 129 (Hz)</translation>
    </message>
    <message>
        <source>DPL</source>
        <comment>479</comment>
        <translation>DPL</translation>
    </message>
    <message>
        <source>Inverted DPL</source>
        <comment>480</comment>
        <translation>Invertierter DPL</translation>
    </message>
    <message>
        <source>Hz</source>
        <comment>482</comment>
        <translation>Hz</translation>
    </message>
    <message>
        <source>Repeater Station ID</source>
        <comment>484</comment>
        <translation>Repeater-Stationskennung</translation>
    </message>
    <message>
        <source>Repeater ID Mode</source>
        <comment>485</comment>
        <translation>Repeater-Kennungsmodus</translation>
    </message>
    <message>
        <source>Tx Hangtime (Sec.)</source>
        <comment>486</comment>
        <translation>Sende-Nachlaufzeit (Sek.)</translation>
    </message>
    <message>
        <source>On Battery Alert Tone</source>
        <comment>487</comment>
        <translation>Warnton bei Akkubetrieb</translation>
    </message>
    <message>
        <source>Enable Courtesy Over Beep</source>
        <comment>488</comment>
        <translation>Courtesy-Beep aktivieren</translation>
    </message>
    <message>
        <source>Tx Frequency Range (MHz)</source>
        <comment>489</comment>
        <translation>Sendefrequenzbereich (MHz)</translation>
    </message>
    <message>
        <source>Rx Frequency Range (MHz)</source>
        <comment>490</comment>
        <translation>Empfangsfrequenzbereich (MHz)</translation>
    </message>
    <message>
        <source>Repeater station id can only contain letter and digits.</source>
        <comment>491</comment>
        <translation>Die Repeater-Stationskennung darf nur Buchstaben und Ziffern enthalten.</translation>
    </message>
    <message>
        <source>The tx hangtime is invalid. Its range is 0 - 50.</source>
        <comment>492</comment>
        <translation>Die Sende-Nachlaufzeit ist ungültig. Der gültige Bereich ist 0 - 50.</translation>
    </message>
    <message>
        <source>15 min</source>
        <comment>493</comment>
        <translation>15 Min.</translation>
    </message>
    <message>
        <source>30 min</source>
        <comment>494</comment>
        <translation>30 Min.</translation>
    </message>
    <message>
        <source>After conversation</source>
        <comment>495</comment>
        <translation>Nach dem Gespräch</translation>
    </message>
    <message>
        <source>15 min</source>
        <comment>496</comment>
        <translation>15 Min.</translation>
    </message>
    <message>
        <source>30 min</source>
        <comment>497</comment>
        <translation>30 Min.</translation>
    </message>
    <message>
        <source>45 min</source>
        <comment>498</comment>
        <translation>45 Min.</translation>
    </message>
    <message>
        <source>60 min</source>
        <comment>499</comment>
        <translation>60 Min.</translation>
    </message>
    <message>
        <source>Transmit freqency and receive freqency can not be same.</source>
        <comment>500</comment>
        <translation>Sende- und Empfangsfrequenz dürfen nicht gleich sein.</translation>
    </message>
    <message>
        <source>The freqency is used as a receive freqency. It is out of receive freqency range.</source>
        <comment>501</comment>
        <translation>Die Frequenz wird als Empfangsfrequenz verwendet. Sie liegt außerhalb des Empfangsfrequenzbereichs.</translation>
    </message>
    <message>
        <source>The freqency is used as a transmit freqency. It is out of transmit freqency range.</source>
        <comment>502</comment>
        <translation>Die Frequenz wird als Sendefrequenz verwendet. Sie liegt außerhalb des Sendefrequenzbereichs.</translation>
    </message>
    <message>
        <source>Please use the &quot;%s&quot;.</source>
        <comment>503</comment>
        <translation>Bitte verwenden Sie „%s“.</translation>
    </message>
    <message>
        <source>Tx Low Battery (Min.)</source>
        <comment>505</comment>
        <translation>Senden bei schwachem Akku (Min.)</translation>
    </message>
    <message>
        <source>The tx low battery is invalid. Its range is 0 - 255.</source>
        <comment>506</comment>
        <translation>Der Wert für Senden bei schwachem Akku ist ungültig. Der gültige Bereich ist 0 - 255.</translation>
    </message>
    <message>
        <source>VBM</source>
        <comment>509</comment>
        <translation>VBM</translation>
    </message>
    <message>
        <source>Out of range</source>
        <comment>510</comment>
        <translation>Außerhalb des Bereichs</translation>
    </message>
    <message>
        <source>At least one channel frequency is out of the valid frequency range. Please correct it before programming. If there is no valid frequency to select, please edit the frequency table first.</source>
        <comment>511</comment>
        <translation>Mindestens eine Kanalfrequenz liegt außerhalb des gültigen Frequenzbereichs. Bitte korrigieren Sie dies vor dem Programmieren. Wenn keine gültige Frequenz zur Auswahl steht, bearbeiten Sie bitte zuerst die Frequenztabelle.</translation>
    </message>
    <message>
        <source>The transmit frequency index can not be same as the receive frequency index. The next available transmit frequency shall be selected.</source>
        <comment>514</comment>
        <translation>Der Index der Sendefrequenz darf nicht gleich dem Index der Empfangsfrequenz sein. Die nächste verfügbare Sendefrequenz wird ausgewählt.</translation>
    </message>
    <message>
        <source>High-power is only available in non-PMR446 markets</source>
        <comment>515</comment>
        <translation>Hohe Leistung ist nur außerhalb von PMR446-Märkten verfügbar</translation>
    </message>
    <message>
        <source>PL Code 214 (OCT)</source>
        <comment>518</comment>
        <translation>PL-Code 214 (OKT)</translation>
    </message>
    <message>
        <source>PL Code 215 (OCT)</source>
        <comment>519</comment>
        <translation>PL-Code 215 (OKT)</translation>
    </message>
    <message>
        <source>PL Code 216 (OCT)</source>
        <comment>520</comment>
        <translation>PL-Code 216 (OKT)</translation>
    </message>
    <message>
        <source>PL Code 217 (OCT)</source>
        <comment>521</comment>
        <translation>PL-Code 217 (OKT)</translation>
    </message>
    <message>
        <source>PL Code 218 (OCT)</source>
        <comment>522</comment>
        <translation>PL-Code 218 (OKT)</translation>
    </message>
    <message>
        <source>PL Code 219 (OCT)</source>
        <comment>523</comment>
        <translation>PL-Code 219 (OKT)</translation>
    </message>
    <message>
        <source>Customized DPL</source>
        <comment>524</comment>
        <translation>Benutzerdefinierter DPL</translation>
    </message>
    <message>
        <source>Customized DPL</source>
        <comment>525</comment>
        <translation>Benutzerdefinierter DPL</translation>
    </message>
    <message>
        <source>Channel Announcement Language</source>
        <comment>527</comment>
        <translation>Sprache der Kanalansage</translation>
    </message>
    <message>
        <source>Disable Channel</source>
        <comment>528</comment>
        <translation>Kanal deaktivieren</translation>
    </message>
    <message>
        <source>Dynamic Talkaround Scan</source>
        <comment>529</comment>
        <translation>Dynamischer Direktverkehr-Suchlauf</translation>
    </message>
    <message>
        <source>File format error. Failed to save.</source>
        <comment>533</comment>
        <translation>Fehler im Dateiformat. Speichern fehlgeschlagen.</translation>
    </message>
    <message>
        <source>This channel is assigned to a Preset Channel button. Disable this channel shall cause the value change of the Preset Channel button. Do you want to continue?</source>
        <comment>534</comment>
        <translation>Dieser Kanal ist einer Festkanaltaste zugewiesen. Durch das Deaktivieren dieses Kanals ändert sich der Wert der Festkanaltaste. Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>Compander</source>
        <comment>537</comment>
        <translation>Kompander</translation>
    </message>
    <message>
        <source>ON</source>
        <comment>539</comment>
        <translation>EIN</translation>
    </message>
    <message>
        <source>English</source>
        <comment>541</comment>
        <translation>Englisch</translation>
    </message>
    <message>
        <source>ZR4400 &amp; ZR4480 Distributor CPS</source>
        <comment>2001</comment>
        <translation>ZR4400 &amp; ZR4480 Distributor CPS</translation>
    </message>
    <message>
        <source>New</source>
        <comment>2002</comment>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Open</source>
        <comment>2003</comment>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save</source>
        <comment>2004</comment>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Add</source>
        <comment>2005</comment>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <comment>2006</comment>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Cut</source>
        <comment>2007</comment>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Copy</source>
        <comment>2008</comment>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Paste</source>
        <comment>2009</comment>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Read</source>
        <comment>2010</comment>
        <translation>Lesen</translation>
    </message>
    <message>
        <source>Write</source>
        <comment>2011</comment>
        <translation>Schreiben</translation>
    </message>
    <message>
        <source>Report</source>
        <comment>2012</comment>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>About</source>
        <comment>2013</comment>
        <translation>Info</translation>
    </message>
    <message>
        <source>Error: Can not find help file information in registry!</source>
        <comment>2014</comment>
        <translation>Fehler: In der Registrierung wurden keine Angaben zur Hilfedatei gefunden!</translation>
    </message>
    <message>
        <source>Error: Can not find the help file!</source>
        <comment>2015</comment>
        <translation>Fehler: Die Hilfedatei wurde nicht gefunden!</translation>
    </message>
    <message>
        <source>Error: Help File format is invalid!</source>
        <comment>2016</comment>
        <translation>Fehler: Das Format der Hilfedatei ist ungültig!</translation>
    </message>
    <message>
        <source>You have to restart the CPS for this change to take effect.</source>
        <comment>2017</comment>
        <translation>Sie müssen die CPS neu starten, damit diese Änderung wirksam wird.</translation>
    </message>
    <message>
        <source>USB Cable Connected</source>
        <comment>2018</comment>
        <translation>USB-Kabel angeschlossen</translation>
    </message>
    <message>
        <source>USB Cable Not Connected</source>
        <comment>2019</comment>
        <translation>USB-Kabel nicht angeschlossen</translation>
    </message>
    <message>
        <source>There are %d USB connections. Please remove the unused one and keep one connection only.</source>
        <comment>2020</comment>
        <translation>Es sind %d USB-Verbindungen vorhanden. Bitte entfernen Sie die nicht benötigten und behalten Sie nur eine Verbindung.</translation>
    </message>
    <message>
        <source>Error: Communication Error.</source>
        <comment>2021</comment>
        <translation>Fehler: Kommunikationsfehler.</translation>
    </message>
    <message>
        <source>Error: Operation Failed (%d).</source>
        <comment>2022</comment>
        <translation>Fehler: Vorgang fehlgeschlagen (%d).</translation>
    </message>
    <message>
        <source>Warning</source>
        <comment>2023</comment>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Radio&apos;s memory is corrupted. Please perform factory reset to correct the error.</source>
        <comment>2024</comment>
        <translation>Der Speicher des Funkgeräts ist beschädigt. Bitte setzen Sie das Funkgerät auf die Werkseinstellungen zurück, um den Fehler zu beheben.</translation>
    </message>
    <message>
        <source>Radio&apos;s memory is corrupted. Please return to manufacture for correction.</source>
        <comment>2025</comment>
        <translation>Der Speicher des Funkgeräts ist beschädigt. Bitte senden Sie das Funkgerät zur Korrektur an den Hersteller.</translation>
    </message>
    <message>
        <source>Unknown warning!</source>
        <comment>2026</comment>
        <translation>Unbekannte Warnung!</translation>
    </message>
    <message>
        <source>Reading from the radio ...</source>
        <comment>2027</comment>
        <translation>Lesen aus dem Funkgerät ...</translation>
    </message>
    <message>
        <source>Writing to the radio ...</source>
        <comment>2028</comment>
        <translation>Schreiben in das Funkgerät ...</translation>
    </message>
    <message>
        <source>Transferring...</source>
        <comment>2029</comment>
        <translation>Übertragung läuft...</translation>
    </message>
    <message>
        <source>Read Successfully!</source>
        <comment>2030</comment>
        <translation>Erfolgreich gelesen!</translation>
    </message>
    <message>
        <source>Write Successfully!</source>
        <comment>2031</comment>
        <translation>Erfolgreich geschrieben!</translation>
    </message>
    <message>
        <source>Read Failed!</source>
        <comment>2032</comment>
        <translation>Lesen fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Write Failed!</source>
        <comment>2033</comment>
        <translation>Schreiben fehlgeschlagen!</translation>
    </message>
    <message>
        <source>The CPS does not support this radio&apos;s region.</source>
        <comment>2034</comment>
        <translation>Die CPS unterstützt die Region dieses Funkgeräts nicht.</translation>
    </message>
    <message>
        <source>The CPS does not support this radio model.</source>
        <comment>2035</comment>
        <translation>Die CPS unterstützt dieses Funkgerätemodell nicht.</translation>
    </message>
    <message>
        <source>Codeplug version of CPS and radio are incompatible! Please update your CPS.</source>
        <comment>2036</comment>
        <translation>Die Codeplug-Versionen von CPS und Funkgerät sind nicht kompatibel! Bitte aktualisieren Sie Ihre CPS.</translation>
    </message>
    <message>
        <source>Do you want to create a new profile (Yes), overwrite the currently selected profile (No) or cancel it?</source>
        <comment>2037</comment>
        <translation>Möchten Sie ein neues Profil anlegen (Ja), das aktuell ausgewählte Profil überschreiben (Nein) oder den Vorgang abbrechen?</translation>
    </message>
    <message>
        <source>The radio being programmed does not match the model in the current profile.</source>
        <comment>2038</comment>
        <translation>Das zu programmierende Funkgerät entspricht nicht dem Modell im aktuellen Profil.</translation>
    </message>
    <message>
        <source>The current profile is not compatible with the radio.</source>
        <comment>2039</comment>
        <translation>Das aktuelle Profil ist nicht mit dem Funkgerät kompatibel.</translation>
    </message>
    <message>
        <source>Some profile information is not supported by the host radio and therefore will not be transferred(PL/DPL Code). </source>
        <comment>2040</comment>
        <translation>Einige Profilinformationen werden vom Funkgerät nicht unterstützt und deshalb nicht übertragen (PL/DPL-Code). </translation>
    </message>
    <message>
        <source>The radio you are programing has a lower version codeplug, some new features can not be used after writing.</source>
        <comment>2041</comment>
        <translation>Das zu programmierende Funkgerät hat eine ältere Codeplug-Version; einige neue Funktionen können nach dem Schreiben nicht verwendet werden.</translation>
    </message>
    <message>
        <source>When converting from high-tier radio to low-tier radio, some data may be lost. Do you want to continue?</source>
        <comment>2042</comment>
        <translation>Bei der Umwandlung von einem Funkgerät mit höherer Ausstattungsstufe in eines mit niedrigerer Ausstattungsstufe können Daten verloren gehen. Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>ZR4400 &amp; ZR4480 Distributor</source>
        <comment>2043</comment>
        <translation>ZR4400 &amp; ZR4480 Distributor</translation>
    </message>
    <message>
        <source>N/A</source>
        <comment>2044</comment>
        <translation>k. A.</translation>
    </message>
    <message>
        <source>Feature</source>
        <comment>2045</comment>
        <translation>Funktion</translation>
    </message>
    <message>
        <source>Button Reset</source>
        <comment>2046</comment>
        <translation>Tasten zurücksetzen</translation>
    </message>
    <message>
        <source>French</source>
        <comment>2047</comment>
        <translation>Französisch</translation>
    </message>
    <message>
        <source>Spanish</source>
        <comment>2048</comment>
        <translation>Spanisch</translation>
    </message>
    <message>
        <source>The PL Code you input is invalid. The valid range is: 67.0 - 255.0 Hz.</source>
        <comment>2049</comment>
        <translation>Der eingegebene PL-Code ist ungültig. Der gültige Bereich ist: 67,0 - 255,0 Hz.</translation>
    </message>
    <message>
        <source>The DPL Code you entered is invalid. The valid range is(OCT): 001 - 777.</source>
        <comment>2050</comment>
        <translation>Der eingegebene DPL-Code ist ungültig. Der gültige Bereich ist (OKT): 001 - 777.</translation>
    </message>
</context>
</TS>
