<?xml version="1.0" encoding="UTF-8"?>
<!-- 1.0.0 Sprzedaz: plik TZamer_KlientSprzedaz na plik TPelk_ObiektSprzedaz -->
<!--
  EXID is the ERP customer number; every position becomes one attribute item: the GIS
  attribute number and the value as delivered, overwriting a value already stored.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" encoding="UTF-8" indent="yes" omit-xml-declaration="yes"/>

  <xsl:template match="/">
    <classes>
      <xsl:apply-templates select="classes/class[@classname='TZamer_KlientSprzedaz']"/>
    </classes>
  </xsl:template>

  <xsl:template match="class[@classname='TZamer_KlientSprzedaz']">
    <xsl:variable name="p" select="properties/property"/>
    <class classname="TPelk_ObiektSprzedaz" name="TPelk_ObiektSprzedaz">
      <properties>
        <property name="ObjectID" type="String"><xsl:value-of select="$p[@name='ObjectID']"/></property>
        <property name="EXID" type="String"><xsl:value-of select="$p[@name='ID']"/></property>
        <property name="Atrybuty" type="Object" class="TAtrybutyObiektCollection">
          <class classname="TAtrybutyObiektCollection" name="Atrybuty">
            <customdata>
              <xsl:for-each select="$p[@name='SprzedazPozycja']/class/customdata/class">
                <xsl:variable name="q" select="properties/property"/>
                <class classname="TAtrybutyObiektCollectionItem" name="Item_{position()}">
                  <properties>
                    <property name="NumerAtrybutu" type="Integer"><xsl:value-of select="$q[@name='Atrybut']"/></property>
                    <property name="Wartosc" type="{$q[@name='Wartosc']/@type}"><xsl:value-of select="$q[@name='Wartosc']"/></property>
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
