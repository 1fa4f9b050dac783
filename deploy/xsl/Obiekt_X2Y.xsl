<?xml version="1.0" encoding="UTF-8"?>
<!-- 1.0.0 Obiekt: plik TZamer_Klient na plik TPelk_Obiekt (część wspólna klientów i dystrybutorów) -->
<!--
  Included by Klient_X2Y.xsl and Dystrybutor_X2Y.xsl, which set $ObiektTyp (102 or 108).
  EXID is the CRM customer number; the address is the main address (dictionary id 201) in
  Poland; attributes go by exchange name and only when the CRM has a value for them.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8" indent="yes" omit-xml-declaration="yes"/>

  <xsl:variable name="AdresGlowny" select="201"/>
  <xsl:variable name="Atrybuty"
      select="'|KategoriaABC|Sektor|Kategoria|OsobaOdpowiedzialna|DataUtworzenia|DataAktualizacji|'"/>

  <xsl:template match="/">
    <classes>
      <xsl:apply-templates select="classes/class[@classname='TZamer_Klient']"/>
    </classes>
  </xsl:template>

  <xsl:template name="property">
    <xsl:param name="name"/>
    <xsl:param name="type"/>
    <xsl:param name="value"/>
    <property name="{$name}" type="{$type}"><xsl:value-of select="$value"/></property>
  </xsl:template>

  <xsl:template match="class[@classname='TZamer_Klient']">
    <xsl:variable name="p" select="properties/property"/>
    <class classname="TPelk_Obiekt" name="TPelk_Obiekt">
      <properties>
        <property name="ObjectID" type="String"><xsl:value-of select="$p[@name='ObjectID']"/></property>
        <property name="ObiektTyp" type="Integer"><xsl:value-of select="$ObiektTyp"/></property>
        <property name="EXID" type="String"><xsl:value-of select="$p[@name='ID']"/></property>
        <property name="Nazwa" type="OleStr"><xsl:value-of select="$p[@name='Nazwa']"/></property>
        <property name="Aktywny" type="Integer"><xsl:value-of select="$p[@name='Aktywny']"/></property>
        <property name="Adres" type="Object" class="TPelk_ObiektAdres">
          <class classname="TPelk_ObiektAdres" name="Adres">
            <properties>
              <property name="Kraj" type="String">Polska</property>
              <property name="Kod" type="String"><xsl:value-of select="$p[@name='Kod']"/></property>
              <property name="Miasto" type="String"><xsl:value-of select="$p[@name='Miasto']"/></property>
              <property name="Ulica" type="String"><xsl:value-of select="$p[@name='Ulica']"/></property>
              <property name="Typ" type="Integer"><xsl:value-of select="$AdresGlowny"/></property>
              <property name="Aktywny" type="Integer">1</property>
            </properties>
          </class>
        </property>
        <property name="Atrybuty" type="Object" class="TAtrybutyObiektCollection">
          <class classname="TAtrybutyObiektCollection" name="Atrybuty">
            <customdata>
              <xsl:for-each select="$p[contains($Atrybuty, concat('|', @name, '|')) and string-length(normalize-space(.)) &gt; 0]">
                <class classname="TAtrybutyObiektCollectionItem" name="Item_{position()}">
                  <properties>
                    <property name="NumerAtrybutu" type="Integer">0</property>
                    <property name="NazwaAtrybutu" type="String"><xsl:value-of select="@name"/></property>
                    <property name="Wartosc" type="String"><xsl:value-of select="."/></property>
                    <property name="Edytowany" type="Enumeration">True</property>
                  </properties>
                </class>
              </xsl:for-each>
            </customdata>
          </class>
        </property>
      </properties>
    </class>
  </xsl:template>
</xsl:stylesheet>
